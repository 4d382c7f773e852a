#include "book/EditDbDlg.h"

#include "platform/Help.h"
#include "text/WindowsText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace shelfwise::book {

namespace {

QLineEdit* Edit(QWidget* parent, const char* name, const char* hint) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setToolTip(QString::fromLatin1(hint));
    return edit;
}

} // namespace

TEditDbDlg::TEditDbDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EditDbDlg"));
    name_ = Edit(this, "NameEdit", "Enter Database Name Here");
    description_ = Edit(this, "DescriptionEdit", "Enter Database Description Here");
    description_->setMaxLength(MaxDescriptionLength);
    description_->setMinimumWidth(320);
    fileName_ =
        Edit(this, "FileNameEdit", "File Name As Created On Hard Disk (*.DBF, *.DBT, *.MDX)");
    fileName_->setReadOnly(true);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok_->setObjectName(QStringLiteral("OKBtn"));
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addButton(QDialogButtonBox::Help)->setObjectName(QStringLiteral("HelpBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [] { platform::ShowHelp(HelpContext); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Database Name:"), name_);
    form->addRow(QStringLiteral("Database Description:"), description_);
    form->addRow(QStringLiteral("Disk File Name:"), fileName_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    SetFields({}, {}, {});
}

void TEditDbDlg::SetFields(const std::string& name, const std::string& description,
                           const std::string& fileName) {
    name_->setText(text::FromWindowsText(name));
    description_->setText(text::FromWindowsText(description));
    fileName_->setText(text::FromWindowsText(fileName));
    setWindowTitle(fileName.empty() ? QStringLiteral("Create New Database")
                                    : QStringLiteral("Edit Database Information"));
}

std::string TEditDbDlg::Name() const {
    return text::ToWindowsText(name_->text());
}

std::string TEditDbDlg::Description() const {
    return text::ToWindowsText(description_->text());
}

} // namespace shelfwise::book
