#include "book/NavigationKeys.h"

#include "book/Navigator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace shelfwise::book {

NavigationKey NavigationKeyOf(int key, Qt::KeyboardModifiers modifiers) {
    modifiers &= ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_Home:
            return NavigationKey::FirstPage;
        case Qt::Key_PageUp:
            return NavigationKey::PreviousPage;
        case Qt::Key_PageDown:
            return NavigationKey::NextPage;
        case Qt::Key_End:
            return NavigationKey::LastPage;
        default:
            return NavigationKey::None;
        }
    }
    if (modifiers == Qt::AltModifier) {
        switch (key) {
        case Qt::Key_PageUp:
            return NavigationKey::PreviousRecord;
        case Qt::Key_PageDown:
            return NavigationKey::NextRecord;
        case Qt::Key_Y:
            return NavigationKey::Synchronize;
        default:
            return NavigationKey::None;
        }
    }
    if (modifiers == (Qt::ControlModifier | Qt::AltModifier) && key >= Qt::Key_A &&
        key <= Qt::Key_Z) {
        return NavigationKey::Letter;
    }
    return NavigationKey::None;
}

TNavigationKeys::TNavigationKeys(QWidget* window, TNavigator& navigator)
    : QObject(window), window_(window), navigator_(navigator) {
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
    switch (NavigationKeyOf(key->key(), key->modifiers())) {
    case NavigationKey::None:
        return false;
    case NavigationKey::FirstPage:
        navigator_.FirstPage();
        break;
    case NavigationKey::PreviousPage:
        navigator_.PreviousPage();
        break;
    case NavigationKey::NextPage:
        navigator_.NextPage();
        break;
    case NavigationKey::LastPage:
        navigator_.LastPage();
        break;
    case NavigationKey::PreviousRecord:
        navigator_.PreviousRecord();
        break;
    case NavigationKey::NextRecord:
        navigator_.NextRecord();
        break;
    case NavigationKey::Synchronize:
        navigator_.Synchronize();
        break;
    case NavigationKey::Letter:
        navigator_.LetterKey(static_cast<char>('A' + (key->key() - Qt::Key_A)));
        break;
    }
    return true;
}

} // namespace shelfwise::book
