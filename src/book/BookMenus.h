#pragma once

#include <QMenu>
#include <QMenuBar>

namespace shelfwise::book {

class TCommandRegistry;

// The book window's main menu and the context menus of the rows, the right page and the
// template chooser. Their items are registered as command controls under their names. Every
// command starts disabled; the window enables those it carries out.
class TBookMenus {
public:
    TBookMenus(QWidget* window, TCommandRegistry& commands);

    QMenuBar* MainMenu() const { return mainMenu_; }
    QMenu* RowMenu() const { return rowMenu_; }
    QMenu* RightPageMenu() const { return rightPageMenu_; }
    QMenu* TemplateMenu() const { return templateMenu_; }

private:
    QMenuBar* mainMenu_;
    QMenu* rowMenu_;
    QMenu* rightPageMenu_;
    QMenu* templateMenu_;
};

} // namespace shelfwise::book
