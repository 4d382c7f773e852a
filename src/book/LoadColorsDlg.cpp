#include "book/LoadColorsDlg.h"

#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "text/WindowsText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace shelfwise::book {

TLoadColorsDlg::TLoadColorsDlg(settings::Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("LoadColorsDlg"));
    setWindowTitle(QStringLiteral("Load Color Template"));
    templates_.LoadColorTemplates(settings_.DataDir / settings::ColorTemplatesFileName);

    names_ = new QListWidget(this);
    names_->setObjectName(QStringLiteral("ListBox1"));
    for (std::size_t i = 0; i < templates_.Count(); ++i) {
        names_->addItem(text::FromWindowsText(templates_.At(i).Name));
    }
    names_->setCurrentRow(0);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    delete_ = buttons->addButton(QStringLiteral("&Delete"), QDialogButtonBox::ActionRole);
    delete_->setObjectName(QStringLiteral("DeleteBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [] { platform::ShowHelp(HelpContext); });
    connect(delete_, &QPushButton::clicked, this, &TLoadColorsDlg::DeleteSelected);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(names_);
    layout->addWidget(buttons);
}

void TLoadColorsDlg::DeleteSelected() {
    const int row = names_->currentRow();
    if (row < 0 || !platform::AskYesNo(platform::MessageKind::Confirmation,
                                       "Delete Selected Color Template?")) {
        return;
    }
    templates_.DeleteColorTemplate(static_cast<std::size_t>(row));
    delete names_->takeItem(row);
    names_->setCurrentRow(std::min(row, names_->count() - 1));
}

void TLoadColorsDlg::accept() {
    if (const int row = names_->currentRow(); row >= 0) {
        settings_.Colors =
            templates_.At(static_cast<std::size_t>(row)).ColorsOver(settings_.Colors);
    }
    templates_.SaveColorTemplates(settings_.DataDir / settings::ColorTemplatesFileName);
    QDialog::accept();
}

bool SaveColorsAsTemplateDlg(settings::Settings& settings, QWidget* parent) {
    const auto name = platform::AskText(parent, QStringLiteral("Save Colors As Template"),
                                        QStringLiteral("Template Name:"));
    if (!name || name->isEmpty()) {
        return false;
    }
    const auto result = settings::SaveColorsAsTemplate(settings.DataDir, text::ToWindowsText(*name),
                                                       settings.Colors);
    if (result == settings::SaveTemplateResult::DuplicateName) {
        platform::ShowError("Duplicate name - template not saved!");
    }
    return result == settings::SaveTemplateResult::Saved;
}

} // namespace shelfwise::book
