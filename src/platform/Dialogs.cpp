#include "platform/Dialogs.h"

#include "platform/MessageBox.h"

#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <utility>

namespace shelfwise::platform {

namespace {

// Room the window manager takes in a title bar for its icon and buttons.
constexpr int TitleBarButtonsWidth = 120;

DialogHook& Hook() {
    static DialogHook hook;
    return hook;
}
} // namespace

void SetDialogHook(DialogHook hook) {
    Hook() = std::move(hook);
}

int RunModal(QDialog& dialog) {
    if (Hook()) {
        return Hook()(dialog);
    }
    if (IsUnattended()) {
        return QDialog::Rejected;
    }
    return dialog.exec();
}

std::optional<QString> AskText(QWidget* parent, const QString& caption, const QString& prompt,
                               const QString& initial) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    // The title bar is as wide as the dialog, which its own layout sizes from the edit box: a
    // short prompt must not cut the caption off.
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMinimumWidth(dialog.fontMetrics().horizontalAdvance(caption) +
                              TitleBarButtonsWidth);
    }
    if (RunModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

std::optional<QFont> ChooseFont(QWidget* parent, const QFont& current) {
    QFontDialog dialog(parent);
    QFont shown = current;
    shown.setFamily(QFontInfo(current).family());
    dialog.setCurrentFont(shown);
    if (RunModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.currentFont();
}

} // namespace shelfwise::platform
