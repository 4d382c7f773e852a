#include "book/NavigationKeys.h"

#include "book/CommandRegistry.h"
#include "book/Navigator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <utility>

namespace shelfwise::book {

NavigationKey NavigationKeyOf(int key, Qt::KeyboardModifiers modifiers) {
    modifiers &= ~Qt::KeypadModifier;
    if (modifiers == (Qt::ControlModifier | Qt::AltModifier) && key >= Qt::Key_A &&
        key <= Qt::Key_Z) {
        return NavigationKey::Letter;
    }
    static constexpr struct {
        Qt::KeyboardModifier Modifier;
        int Key;
        NavigationKey Command;
    } Keys[] = {
        {Qt::ControlModifier, Qt::Key_Home, NavigationKey::FirstPage},
        {Qt::ControlModifier, Qt::Key_PageUp, NavigationKey::PreviousPage},
        {Qt::ControlModifier, Qt::Key_PageDown, NavigationKey::NextPage},
        {Qt::ControlModifier, Qt::Key_End, NavigationKey::LastPage},
        {Qt::AltModifier, Qt::Key_PageUp, NavigationKey::PreviousRecord},
        {Qt::AltModifier, Qt::Key_PageDown, NavigationKey::NextRecord},
        {Qt::AltModifier, Qt::Key_Y, NavigationKey::Synchronize},
    };
    for (const auto& k : Keys) {
        if (modifiers == k.Modifier && key == k.Key) {
            return k.Command;
        }
    }
    return NavigationKey::None;
}

TNavigationKeys::TNavigationKeys(QWidget* window, TNavigator& navigator,
                                 const TCommandRegistry& commands)
    : QObject(window), window_(window), navigator_(navigator), commands_(commands) {
    qApp->installEventFilter(this);
}

TNavigationKeys::~TNavigationKeys() {
    qApp->removeEventFilter(this);
}

bool TNavigationKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != window_) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const NavigationKey command = NavigationKeyOf(key->key(), key->modifiers());
    if (command == NavigationKey::Letter) {
        navigator_.LetterKey(static_cast<char>('A' + (key->key() - Qt::Key_A)));
        return true;
    }
    static constexpr std::pair<NavigationKey, const char*> Commands[] = {
        {NavigationKey::FirstPage, "FirstPage"},
        {NavigationKey::PreviousPage, "PreviousPage"},
        {NavigationKey::NextPage, "NextPage"},
        {NavigationKey::LastPage, "LastPage"},
        {NavigationKey::PreviousRecord, "PreviousRecord"},
        {NavigationKey::NextRecord, "NextRecord"},
        {NavigationKey::Synchronize, "Synchronize"},
    };
    for (const auto& [which, name] : Commands) {
        if (which == command) {
            commands_.Run(QString::fromLatin1(name));
            return true;
        }
    }
    return false;
}

} // namespace shelfwise::book
