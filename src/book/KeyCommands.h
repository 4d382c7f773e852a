#pragma once

#include <QObject>

class QMenu;
class QWidget;

namespace shelfwise::book {

class TCommandRegistry;
class TLeftPage;
class TRecordTabs;

// What the window's remaining keys open or switch.
struct TKeyParts {
    QWidget& Window;
    TCommandRegistry& Commands;
    TLeftPage& LeftPage;
    TRecordTabs& Pages;
    QMenu& RightPageMenu;
};

// The keys that open the context menus from the keyboard (F3 to F8; they go on to the focused
// control as well), Alt+1 to Alt+9 for the record pages, the help menu's mail command, and the
// commands still to be built (printing, the HTML report, the summary, the web
// links): their controls stay in the menus and bars, disabled, and their keys do nothing.
class TKeyCommands : public QObject {
    Q_OBJECT
public:
    static constexpr const char* SupportAddress = "mailto:support@quorvan.example";

    TKeyCommands(const TKeyParts& parts, QObject* parent);
    ~TKeyCommands() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // F3: the row menu of the focused row; a focus elsewhere moves to the first row.
    void OpenRowMenu();
    // Opens a widget's own context menu at a screen position.
    static void OpenContextMenu(QWidget& widget, const QPoint& at);
    QPoint WindowCorner() const;

    TKeyParts parts_;
};

} // namespace shelfwise::book
