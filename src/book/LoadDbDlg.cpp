#include "book/LoadDbDlg.h"

#include "book/DeleteDlg.h"
#include "book/EditDbDlg.h"
#include "db/Database.h"
#include "db/FailureLog.h"
#include "engine/EngineError.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "settings/SettingsFiles.h"
#include "text/WindowsText.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

namespace shelfwise::book {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    if (hint != nullptr) {
        button->setToolTip(QString::fromLatin1(hint));
    }
    button->setAutoDefault(false);
    return button;
}

} // namespace

TLoadDbDlg::TLoadDbDlg(db::TDatabase& database, settings::Settings& settings, QWidget* parent)
    : QDialog(parent), database_(database), settings_(settings), catalogue_(database, settings),
      startingDir_(settings.DatabaseDir) {
    setObjectName(QStringLiteral("LoadDbDlg"));
    setWindowTitle(QStringLiteral("Load Database"));

    auto* listCaption = new QLabel(QStringLiteral("Available Databases:"), this);
    databases_ = new QListWidget(this);
    databases_->setObjectName(QStringLiteral("DatabaseList"));
    databases_->setToolTip(QStringLiteral("Click Here To Select Database"));
    listCaption->setBuddy(databases_);

    typeGroup_ = new QGroupBox(QStringLiteral("Database Type"), this);
    typeGroup_->setObjectName(QStringLiteral("DatabaseType"));
    typeGroup_->setToolTip(QStringLiteral("Click Here To Display Public or Private Databases"));
    types_ = new QButtonGroup(this);
    auto* typeLayout = new QVBoxLayout(typeGroup_);
    for (const auto& [id, name, caption] : {std::tuple{Private, "PrivateBtn", "Private"},
                                            std::tuple{Public, "PublicBtn", "Public"}}) {
        auto* radio = new QRadioButton(QString::fromLatin1(caption), typeGroup_);
        radio->setObjectName(QString::fromLatin1(name));
        types_->addButton(radio, id);
        typeLayout->addWidget(radio);
    }

    auto* fileCaption = new QLabel(QStringLiteral("Real File Name:"), this);
    realFileName_ = new QLineEdit(this);
    realFileName_->setObjectName(QStringLiteral("RealFileName"));
    realFileName_->setReadOnly(true);

    load_ = Button(this, "LoadBtn", "&Load", "Load Selected Database");
    load_->setDefault(true);
    auto* cancel = Button(this, "CancelBtn", "&Cancel", "Close Dialog Box");
    auto* help = Button(this, "HelpBtn", "&Help", nullptr);
    edit_ = Button(this, "EditBtn", "&Edit", "Edit Database Information");
    new_ = Button(this, "NewBtn", "&New", "Create A New Database");
    delete_ = Button(this, "DeleteBtn", "&Delete", "Delete Database");

    auto* layout = new QGridLayout(this);
    layout->addWidget(listCaption, 0, 0);
    layout->addWidget(databases_, 1, 0, 6, 1);
    layout->addWidget(typeGroup_, 1, 1);
    int row = 2;
    for (QPushButton* button : {load_, cancel, help, edit_, new_, delete_}) {
        layout->addWidget(button, row++, 1);
    }
    layout->addWidget(fileCaption, 8, 0, 1, 2);
    layout->addWidget(realFileName_, 9, 0, 1, 2);

    connect(load_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });
    connect(edit_, &QPushButton::clicked, this, &TLoadDbDlg::EditDatabase);
    connect(new_, &QPushButton::clicked, this, &TLoadDbDlg::NewDatabase);
    connect(delete_, &QPushButton::clicked, this, &TLoadDbDlg::DeleteDatabase);
    connect(types_, &QButtonGroup::idClicked, this, [this] { TypeChanged(); });
    connect(databases_, &QListWidget::currentRowChanged, this, [this] { ShowSelection(); });
    connect(databases_, &QListWidget::itemDoubleClicked, this, [this] {
        if (edit_->isEnabled()) {
            EditDatabase();
        }
    });

    if (settings_.IsSupervisor) {
        SetType(Public);
        typeGroup_->setEnabled(false);
    } else if (settings_.UserAccess == settings::opt::UserAccess::None) {
        SetType(Private);
        typeGroup_->setEnabled(false);
    } else {
        SetType(settings::IsPublicDatabase(settings_, settings_.DatabaseDir) ? Public : Private);
    }
}

TLoadDbDlg::~TLoadDbDlg() {
    // The catalogue goes back to the record of the open data table; after a database was
    // chosen in another directory, loading it reopens everything anyway.
    if (settings_.DatabaseDir != startingDir_) {
        return;
    }
    try {
        database_.RegisterInCatalogue(settings_.DataFileName);
    } catch (const engine::EngineError& error) {
        db::LogFailure(database_.MasterTable, error);
    }
}

TLoadDbDlg::DatabaseType TLoadDbDlg::Type() const {
    return types_->checkedId() == Public ? Public : Private;
}

void TLoadDbDlg::SetType(DatabaseType type) {
    types_->button(type)->setChecked(true);
    TypeChanged();
}

void TLoadDbDlg::TypeChanged() {
    const bool opened = catalogue_.Open(Type() == Public ? settings_.PublicDir : settings_.DataDir);
    if (!opened) {
        platform::ShowError("Error openning master.dbf file!");
    }
    Refill();
    UpdateButtons();
    SelectRow(0);
}

void TLoadDbDlg::Refill() {
    databases_->clear();
    fileNames_.clear();
    for (const db::TCatalogueEntry& entry : catalogue_.Entries()) {
        databases_->addItem(text::FromWindowsText(entry.Name));
        fileNames_.push_back(entry.FileName);
    }
}

void TLoadDbDlg::UpdateButtons() {
    const bool changeable = Type() == Private || settings_.IsSupervisor;
    const bool listed = databases_->count() > 0;
    edit_->setEnabled(changeable && listed);
    delete_->setEnabled(changeable && listed);
    new_->setEnabled(changeable);
}

void TLoadDbDlg::SelectRow(int row) {
    databases_->setCurrentRow(std::min(row, databases_->count() - 1));
    ShowSelection();
}

void TLoadDbDlg::ShowSelection() {
    const int row = databases_->currentRow();
    if (row < 0) {
        realFileName_->clear();
        return;
    }
    // The name as the file lies on disk: file names keep their case here.
    const QString fileName = text::FromWindowsText(fileNames_[static_cast<std::size_t>(row)]);
    realFileName_->setText(text::FromWindowsText(settings_.DatabaseDir.string()) +
                           QLatin1Char('/') + fileName);
}

void TLoadDbDlg::NewDatabase() {
    TEditDbDlg edit(this);
    if (platform::RunModal(edit) != QDialog::Accepted) {
        return;
    }
    std::optional<std::string> fileName;
    try {
        fileName = catalogue_.Create(edit.Name(), edit.Description());
    } catch (const engine::EngineError& error) {
        db::LogFailure(database_.MasterTable, error);
        platform::ShowError("Error openning master.dbf file!");
        return;
    }
    if (!fileName) {
        platform::ShowInformation(
            "Cannot Create a new Table! You have reached the limit of 999 per user.");
        return;
    }
    databases_->addItem(text::FromWindowsText(edit.Name()));
    fileNames_.push_back(*fileName);
    UpdateButtons();
    SelectRow(databases_->count() - 1);
}

void TLoadDbDlg::EditDatabase() {
    const int row = databases_->currentRow();
    if (row < 0) {
        return;
    }
    const auto entry = catalogue_.Find(fileNames_[static_cast<std::size_t>(row)]);
    if (!entry) {
        return;
    }
    TEditDbDlg edit(this);
    edit.SetFields(entry->Name, entry->Description, entry->FileName);
    if (platform::RunModal(edit) != QDialog::Accepted) {
        return;
    }
    try {
        if (catalogue_.Describe(entry->FileName, edit.Name(), edit.Description())) {
            databases_->item(row)->setText(text::FromWindowsText(edit.Name()));
        }
    } catch (const engine::EngineError& error) {
        db::LogFailure(database_.MasterTable, error);
        platform::ShowError("Error openning master.dbf file!");
    }
}

void TLoadDbDlg::DeleteDatabase() {
    const int row = databases_->currentRow();
    if (row < 0) {
        return;
    }
    const std::string fileName = fileNames_[static_cast<std::size_t>(row)];
    if (catalogue_.InUse(fileName)) {
        platform::ShowInformation("Table in use - cannot be deleted at this time!");
        SelectRow(0);
        return;
    }
    TDeleteDlg1 confirm(this);
    confirm.setWindowTitle(QStringLiteral("Confirm"));
    confirm.SetConfirmTexts(QStringLiteral("If you want to Delete the Database please"),
                            QStringLiteral("WARNING! This operation cannot be Undone!"));
    if (!ConfirmByTyping(confirm) || (SecurityCheck && !SecurityCheck())) {
        return;
    }
    bool deleted = false;
    try {
        deleted = catalogue_.Delete(fileName);
    } catch (const engine::EngineError& error) {
        db::LogFailure(settings_.DatabaseDir / fileName, error);
    }
    if (!deleted) {
        platform::ShowError("Table Could Not Be Deleted!");
        return;
    }
    delete databases_->takeItem(row);
    fileNames_.erase(fileNames_.begin() + row);
    platform::ShowInformation("Table Deleted.");
    UpdateButtons();
    SelectRow(0);
    databases_->setFocus();
}

void TLoadDbDlg::accept() {
    const int row = databases_->currentRow();
    std::optional<std::string> chosen;
    if (row >= 0) {
        try {
            chosen = catalogue_.PrepareLoad(fileNames_[static_cast<std::size_t>(row)]);
        } catch (const engine::EngineError& error) {
            db::LogFailure(settings_.DatabaseDir / fileNames_[static_cast<std::size_t>(row)],
                           error);
        }
    }
    if (!chosen) {
        // Nothing to load: the open database stays, and with it its directory.
        reject();
        return;
    }
    chosenFile_ = *chosen;
    QDialog::accept();
}

void TLoadDbDlg::reject() {
    chosenFile_.clear();
    catalogue_.Open(startingDir_);
    QDialog::reject();
}

} // namespace shelfwise::book
