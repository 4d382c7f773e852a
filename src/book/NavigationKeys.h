#pragma once

#include <QObject>

namespace shelfwise::book {

class TCommandRegistry;
class TNavigator;

// The navigation commands the keyboard reaches.
enum class NavigationKey {
    None,
    FirstPage,
    PreviousPage,
    NextPage,
    LastPage,
    PreviousRecord,
    NextRecord,
    Synchronize,
    Letter,
};

// The command of a key; modifiers must match exactly (Ctrl alone, Alt alone, Ctrl+Alt).
NavigationKey NavigationKeyOf(int key, Qt::KeyboardModifiers modifiers);

// Sees every key meant for the window before its focused control does, and consumes the
// navigation keys: the letter keys go to the navigator, the others run their commands.
class TNavigationKeys : public QObject {
    Q_OBJECT
public:
    TNavigationKeys(QWidget* window, TNavigator& navigator, const TCommandRegistry& commands);
    ~TNavigationKeys() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    TNavigator& navigator_;
    const TCommandRegistry& commands_;
};

} // namespace shelfwise::book
