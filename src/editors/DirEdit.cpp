#include "editors/DirEdit.h"

#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>

namespace shelfwise::editors {

TDirEdit::TDirEdit(QWidget* parent) : TMyBtnEdit(parent) {
    resize(200, 24);
    SetAutoSelect(false);
    SetButtonHint(QStringLiteral("Click here to select a directory"));
}

bool TDirEdit::NamesDirectory() const {
    return !text().isEmpty() && QFileInfo(text()).isDir();
}

void TDirEdit::ButtonClick() {
    // Qt's own chooser, since it can make a new directory and takes a help button.
    QFileDialog chooser(this, QString(), text());
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (auto* buttons = chooser.findChild<QDialogButtonBox*>()) {
        buttons->addButton(QDialogButtonBox::Help);
        connect(buttons, &QDialogButtonBox::helpRequested, this,
                [] { platform::ShowHelp(HelpContext); });
    }
    if (platform::RunModal(chooser) == QDialog::Accepted && !chooser.selectedFiles().isEmpty()) {
        setText(chooser.selectedFiles().constFirst());
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
