#include "editors/DirEdit.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>

namespace shelfwise::editors {

TDirEdit::TDirEdit(QWidget* parent) : TMyBtnEdit(parent) {
    resize(200, 24);
    SetButtonHint(QStringLiteral("Click here to select a directory"));
}

bool TDirEdit::NamesDirectory() const {
    return !text().isEmpty() && QFileInfo(text()).isDir();
}

void TDirEdit::ButtonClick() {
    const QString chosen = QFileDialog::getExistingDirectory(this, QString(), text());
    if (!chosen.isEmpty()) {
        setText(chosen);
    }
    setFocus(Qt::OtherFocusReason);
}

void TDirEdit::focusOutEvent(QFocusEvent* event) {
    TMyBtnEdit::focusOutEvent(event);
    // Only a move to another field is checked: a message box, a menu, Esc or the dialog's
    // Cancel button leave without the check, so the field never traps the user.
    const auto reason = event->reason();
    const QWidget* next = QApplication::focusWidget();
    const bool cancels = next != nullptr && next->objectName() == QLatin1String("CancelBtn");
    if (refusing_ || cancels || isReadOnly() || NamesDirectory() ||
        (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason &&
         reason != Qt::MouseFocusReason)) {
        return;
    }
    refusing_ = true;
    platform::ShowError("Invalid directory!");
    setFocus(Qt::OtherFocusReason);
    refusing_ = false;
}

} // namespace shelfwise::editors
