#pragma once

#include <QMenu>
#include <QMenuBar>

namespace shelfwise::book {

// The book window's main menu and the context menus of the rows, the right page and the
// template chooser. Every command starts disabled; the window enables those it carries out.
class TBookMenus {
public:
    explicit TBookMenus(QWidget* window);

    QMenuBar* MainMenu() const { return mainMenu_; }
    QMenu* RowMenu() const { return rowMenu_; }
    QMenu* RightPageMenu() const { return rightPageMenu_; }
    QMenu* TemplateMenu() const { return templateMenu_; }

    // The command of that name in any of the menus.
    QAction* Action(const QString& name) const;
    // Enables the command and connects it.
    template <typename Slot> void Connect(const QString& name, QObject* receiver, Slot slot) {
        QAction* action = Action(name);
        action->setEnabled(true);
        QObject::connect(action, &QAction::triggered, receiver, slot);
    }

private:
    QWidget* window_;
    QMenuBar* mainMenu_;
    QMenu* rowMenu_;
    QMenu* rightPageMenu_;
    QMenu* templateMenu_;
};

} // namespace shelfwise::book
