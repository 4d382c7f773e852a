#include "book/LoadLabelsDlg.h"

#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/TemplateList.h"
#include "text/WindowsText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace shelfwise::book {

TLoadLabelsDlg::TLoadLabelsDlg(settings::TTemplateList& templates, QWidget* parent)
    : TLoadLabelsDlg(templates, parent,
                     {"LoadLabelsDlg", "Load Labels From Template", "Label Templates:"}) {}

TLoadLabelsDlg::TLoadLabelsDlg(settings::TTemplateList& templates, QWidget* parent,
                               Captions captions)
    : QDialog(parent), templates_(templates) {
    setObjectName(QString::fromLatin1(captions.Object));
    setWindowTitle(QString::fromLatin1(captions.Title));

    auto* caption = new QLabel(QString::fromLatin1(captions.Caption), this);
    names_ = new QListWidget(this);
    names_->setObjectName(QStringLiteral("ListBox1"));
    caption->setBuddy(names_);
    for (std::size_t i = 0; i < templates_.Count(); ++i) {
        names_->addItem(text::FromWindowsText(templates_.TemplateAt(i).Name));
    }
    names_->setCurrentRow(0);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setObjectName(QStringLiteral("OKBtn"));
    delete_ = buttons->addButton(QStringLiteral("&Delete"), QDialogButtonBox::ActionRole);
    delete_->setObjectName(QStringLiteral("DeleteBtn"));
    // Enter deletes, as designed.
    for (QAbstractButton* button : buttons->buttons()) {
        if (auto* push = qobject_cast<QPushButton*>(button)) {
            push->setAutoDefault(false);
        }
    }
    delete_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [] { platform::ShowHelp(HelpContext); });
    connect(delete_, &QPushButton::clicked, this, &TLoadLabelsDlg::DeleteSelected);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(names_);
    layout->addWidget(buttons);
}

void TLoadLabelsDlg::DeleteSelected() {
    const int row = names_->currentRow();
    if (row < 0 ||
        !platform::AskYesNo(platform::MessageKind::Confirmation, "Delete Selected Template?")) {
        return;
    }
    templates_.DeleteTemplate(static_cast<std::size_t>(row));
    delete names_->takeItem(row);
    names_->setCurrentRow(std::min(row, names_->count() - 1));
}

void TLoadLabelsDlg::accept() {
    if (const int row = names_->currentRow(); row >= 0) {
        selectedFile_ = templates_.TemplateAt(static_cast<std::size_t>(row)).FileName;
    }
    QDialog::accept();
}

} // namespace shelfwise::book
