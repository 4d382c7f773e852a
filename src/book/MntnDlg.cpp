#include "book/MntnDlg.h"

#include "book/DeleteDlg.h"
#include "book/HourGlass.h"
#include "book/LoginDlg.h"
#include "book/PercentDlg.h"
#include "db/Database.h"
#include "db/Maintenance.h"
#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace shelfwise::book {

namespace {

using db::MaintenanceFailure;
using platform::MessageKind;

constexpr const char* kCannotBeUndone = "WARNING! This operation cannot be Undone!";
constexpr const char* kStoppedUnchanged = "Operation Stopped. Nothing was changed.";

struct ButtonSpec {
    const char* name;
    const char* caption;
    const char* hint;
    int marker; // index of the ">>" beside it, or -1
    void (TMntnDlg::*action)();
};

const ButtonSpec kButtons[] = {
    {"ReindexBtn", "&Reindex Database", "Rebuild All Indexes", 0, &TMntnDlg::Reindex},
    {"DeleteIndexesBtn", "Delete &Indexes", "Delete Indexes - Decreases Size Of Index File", -1,
     &TMntnDlg::DeleteIndexes},
    {"PackBtn", "&Pack Database", "Remove Deleted Records", 1, &TMntnDlg::Pack},
    {"DeleteAllBtn", "Delete &All Records", "Very Dangerous - Use With Caution", -1,
     &TMntnDlg::DeleteAll},
    {"DeleteSelectedBtn", "&Delete Selected Records",
     "Delete All Displayed Records (Selected By A Filter)", -1, &TMntnDlg::DeleteSelected},
    {"RepairBtn", "Repair Data &File", "Try To Recreate A Corrupt Data File", -1,
     &TMntnDlg::Repair},
    {"BackupBtn", "&Backup", "Backup Current Data File", 2, &TMntnDlg::Backup},
    {"RestoreBtn", "Re&store", "Restore Current Data File from The Backup File", -1,
     &TMntnDlg::Restore},
    {"EditListsBtn", "&Edit Lists", "Modify/Create/Delete List Items", -1, &TMntnDlg::EditLists},
    {"LogBtn", "Display &Log", "Display Maintenance Log", -1, &TMntnDlg::DisplayLog},
};

QString number(std::uint32_t n) {
    return QString::number(n);
}

// While an operation runs: the wait cursor, and no way to close the dialog.
class Busy {
public:
    explicit Busy(QPushButton* close) : close_(close) { close_->setEnabled(false); }
    ~Busy() { close_->setEnabled(true); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    HourGlass hourGlass_;
    QPushButton* close_;
};

} // namespace

TMntnDlg::TMntnDlg(db::TDatabase& database, settings::Settings& settings, QWidget* parent)
    : QDialog(parent), database_(database), settings_(settings) {
    setObjectName(QStringLiteral("MntnDlg"));
    setWindowTitle(QStringLiteral("Database Maintenance"));
    SecurityCheck = [this] { return book::SecurityCheck(settings_, this); };
    ConfirmByTyping = [this](const QString& firstLine, const QString& warningLine) {
        TDeleteDlg1 dialog(this);
        dialog.SetConfirmTexts(firstLine, warningLine);
        return book::ConfirmByTyping(dialog);
    };

    auto* grid = new QGridLayout(this);
    int row = 0;
    for (int i = 0; i < 3; ++i) {
        markers_[i] = new QLabel(QStringLiteral(">>"), this);
        markers_[i]->setObjectName(QStringLiteral("Marker%1").arg(i + 1));
        markers_[i]->setVisible(false);
    }
    for (const ButtonSpec& spec : kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(spec.caption), this);
        button->setObjectName(QString::fromLatin1(spec.name));
        button->setToolTip(QString::fromLatin1(spec.hint));
        button->setAutoDefault(false);
        if (spec.marker >= 0) {
            grid->addWidget(markers_[spec.marker], row, 0);
        }
        grid->addWidget(button, row, 1);
        if (spec.action) {
            connect(button, &QPushButton::clicked, this, spec.action);
        }
        ++row;
    }

    close_ = new QPushButton(QStringLiteral("&Close"), this);
    close_->setObjectName(QStringLiteral("CloseBtn"));
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("HelpBtn"));
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });
    grid->addWidget(close_, row++, 1);
    grid->addWidget(help, row, 1);
}

QPushButton* TMntnDlg::Button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void TMntnDlg::EditLists() {
    if (OpenListEditor && OpenListEditor()) {
        ListsChanged = true;
    }
}

void TMntnDlg::showEvent(QShowEvent* event) {
    Button("EditListsBtn")->setEnabled(static_cast<bool>(OpenListEditor));
    for (QLabel* marker : markers_) {
        marker->setVisible(FromReminder);
    }
    databaseName_.clear();
    try {
        engine::Table& master = database_.MasterTable;
        if (master.isOpen() && master.findKey({{db::CatalogueFileName, settings_.DataFileName}})) {
            databaseName_ = QString::fromStdString(master.text(db::CatalogueName));
        }
    } catch (const engine::EngineError&) {
        // The log then names no database.
    }
    QDialog::showEvent(event);
}

bool TMntnDlg::Confirmed(const QString& firstLine) {
    return ConfirmByTyping(firstLine, QString::fromLatin1(kCannotBeUndone)) &&
           (!SecurityCheck || SecurityCheck());
}

void TMntnDlg::Log(const QString& description) {
    if (AddLogEntry) {
        AddLogEntry(databaseName_, description);
    }
}

void TMntnDlg::Reindex() {
    if (!platform::AskYesNo(
            MessageKind::Warning,
            "Rebuilding indexes may be time consuming. Are you sure you want to do this?")) {
        return;
    }
    Busy busy(close_);
    db::TMaintenance maintenance(database_, settings_);
    const bool done = maintenance.RegenerateIndexes(database_.DataTable) &&
                      maintenance.PackTable(database_.MasterTable, true);
    if (done) {
        settings::NoteReindexOrPack(settings_.Reminders);
    }
    Log(done ? QStringLiteral("Database Reindexed.") : QStringLiteral("Database Reindex Failed."));
    DatabaseChanged = true;
}

void TMntnDlg::DeleteIndexes() {
    if (!platform::AskYesNo(
            MessageKind::Warning,
            "Deleting indexes may be time consuming. Are you sure you want to do this?")) {
        return;
    }
    Busy busy(close_);
    db::TMaintenance maintenance(database_, settings_);
    const bool done = maintenance.DeleteIndexes(database_.DataTable);
    Log(done ? QStringLiteral("Indexes Deleted.") : QStringLiteral("Index Deletion Failed."));
    DatabaseChanged = true;
    SortReset = true;
}

void TMntnDlg::Pack() {
    if (!platform::AskYesNo(
            MessageKind::Warning,
            "Packing the Database may be time consuming. Are you sure you want to do this?")) {
        return;
    }
    Busy busy(close_);
    db::TMaintenance maintenance(database_, settings_);
    bool done = false;
    {
        TProgressWindow progress(database_, this, QStringLiteral("Pack Progress"));
        done = maintenance.PackTable(database_.DataTable, true) &&
               maintenance.PackTable(database_.MasterTable, true);
    }
    DatabaseChanged = true;
    if (maintenance.LastFailure == MaintenanceFailure::Stopped) {
        platform::ShowInformation(kStoppedUnchanged);
        Log(QStringLiteral("Database Pack Stopped."));
        return;
    }
    if (done) {
        settings::NoteReindexOrPack(settings_.Reminders);
    }
    Log(done ? QStringLiteral("Database Packed.") : QStringLiteral("Database Pack Failed."));
}

void TMntnDlg::DeleteAll() {
    if (!Confirmed(QStringLiteral("If you want to Delete All Records please"))) {
        return;
    }
    Busy busy(close_);
    db::TMaintenance maintenance(database_, settings_);
    const std::uint32_t n = maintenance.CountRecords(database_.DataTable);
    DatabaseChanged = true;
    if (!maintenance.EmptyTable(database_.DataTable)) {
        Log(QStringLiteral("Delete All Records Failed."));
        return;
    }
    platform::ShowInformation("All Records Deleted.");
    Log(QStringLiteral("All Records Deleted - ") + number(n) + QStringLiteral(" records."));
}

void TMntnDlg::DeleteSelected() {
    const db::FilterState filter = database_.Index.Filter;
    if (filter == db::FilterState::fsFilterOff || !database_.DataTable.isOpen()) {
        platform::ShowWarning("You have to set a Normal or Reversed Filter first!");
        return;
    }
    if (!Confirmed(QStringLiteral("If you want to Delete All Displayed Records please"))) {
        return;
    }
    Busy busy(close_);
    db::TMaintenance maintenance(database_, settings_);
    const auto selected = [this](const engine::Table& table) {
        return !StillSelected || StillSelected(table);
    };
    db::TDeleteSelectedResult result;
    {
        TProgressWindow progress(database_, this, QStringLiteral("Delete Progress"));
        result = maintenance.DeleteSelected(database_.DataTable, selected);
    }
    DatabaseChanged = true;
    if (result.Stopped) {
        platform::ShowInformation("Operation Stopped. " + std::to_string(result.Deleted) +
                                  " Displayed Records were Deleted.");
        Log(QStringLiteral("Selected Records Deleted - ") + number(result.Deleted) +
            QStringLiteral(" records. Stopped by the user."));
        return;
    }
    if (maintenance.LastFailure == MaintenanceFailure::Failed) {
        platform::ShowWarning("Delete Failed! " + std::to_string(result.Deleted) +
                              " Displayed Records were Deleted.");
    } else if (result.Skipped == 0) {
        platform::ShowInformation("All Displayed Records Deleted.");
    } else {
        platform::ShowWarning(std::to_string(result.Deleted) + " Displayed Records Deleted. " +
                              std::to_string(result.Skipped) +
                              " records were in use by someone else or no longer selected.");
    }
    Log(QStringLiteral("Selected Records Deleted - ") + number(result.Deleted) +
        QStringLiteral(" records."));
}

void TMntnDlg::Repair() {
    if (!Confirmed(QStringLiteral("If you want to Repair the Data File please"))) {
        return;
    }
    Busy busy(close_);
    db::TMaintenance maintenance(database_, settings_);
    int bad = 0;
    bool done = false;
    {
        TProgressWindow progress(database_, this, QStringLiteral("Data Repair Progress"));
        done = maintenance.RepairTable(database_.DataTable, bad);
    }
    DatabaseChanged = true;
    SortReset = true;
    if (done) {
        platform::ShowInformation(
            "Data File Repaired Successfully. The original file is saved as TEMP$$$.DBF");
        Log(QStringLiteral("Database Repaired."));
        return;
    }
    if (maintenance.LastFailure == MaintenanceFailure::Stopped) {
        platform::ShowInformation(kStoppedUnchanged);
        Log(QStringLiteral("Database Repair Stopped."));
        return;
    }
    if (maintenance.LastFailure == MaintenanceFailure::BadRecords) {
        platform::ShowWarning(std::to_string(bad) + " records could not be Recovered!");
    } else if (maintenance.LastFailure == MaintenanceFailure::NoSpace ||
               maintenance.LastFailure == MaintenanceFailure::Failed ||
               maintenance.LastFailure == MaintenanceFailure::NotFound) {
        platform::ShowWarning("Data File Repair Failed! Check if you have enough free disk space.");
    }
    Log(QStringLiteral("Database Repair Failed."));
}

void TMntnDlg::Backup() {
    if (!Confirmed(QStringLiteral("If you want to Backup the Data File please"))) {
        return;
    }
    Busy busy(close_);
    db::TMaintenance maintenance(database_, settings_);
    int bad = 0;
    bool done = false;
    {
        TProgressWindow progress(database_, this, QStringLiteral("Backup Progress"));
        done = maintenance.BackupTable(database_.DataTable, bad);
    }
    if (done) {
        platform::ShowInformation(
            "Database Backed Up Successfully.\nIMPORTANT: You should now copy all files from "
            "BACKUP directory to a diskette or backup media. You may have to use some "
            "compression or backup software.",
            BackupHelpContext);
        settings::NoteBackup(settings_.Reminders);
        Log(QStringLiteral("Database Backed Up - ") + number(maintenance.RecordsCopied) +
            QStringLiteral(" records."));
        return;
    }
    if (maintenance.LastFailure == MaintenanceFailure::Stopped) {
        platform::ShowInformation(kStoppedUnchanged);
        Log(QStringLiteral("Database Backup Stopped."));
        return;
    }
    if (maintenance.LastFailure == MaintenanceFailure::BadRecords) {
        platform::ShowWarning(std::to_string(bad) + " records could not be Backed Up!",
                              BackupHelpContext);
    } else {
        platform::ShowWarning("Backup Failed! Check if you have enough free disk space.",
                              BackupHelpContext);
    }
    Log(QStringLiteral("Database Backup Failed."));
}

void TMntnDlg::Restore() {
    if (!Confirmed(QStringLiteral("If you want to Restore data from the Backup file please"))) {
        return;
    }
    const bool lists =
        platform::AskYesNo(MessageKind::Confirmation,
                           "Do you also want to Restore Lists?\n(Recommended Answer - YES)");
    Busy busy(close_);
    db::TMaintenance maintenance(database_, settings_);
    int bad = 0;
    bool done = false;
    {
        TProgressWindow progress(database_, this, QStringLiteral("Restore Progress"));
        done = maintenance.RestoreTable(database_.DataTable, bad, lists);
    }
    DatabaseChanged = true;
    SortReset = true;
    const MaintenanceFailure failure = maintenance.LastFailure;
    // The lists were copied once the table was replaced.
    ListsChanged = lists && (done || failure == MaintenanceFailure::BadRecords);
    if (done) {
        platform::ShowInformation(
            "Data File Restored Successfully. Original File Renamed To: TEMP$$$.DBF");
        Log(QStringLiteral("Database Restored from backup - ") + number(maintenance.RecordsCopied) +
            QStringLiteral(" records."));
        return;
    }
    if (failure == MaintenanceFailure::Stopped) {
        platform::ShowInformation(kStoppedUnchanged);
        Log(QStringLiteral("Database Restore Stopped."));
        return;
    }
    if (failure == MaintenanceFailure::BadRecords) {
        platform::ShowWarning(std::to_string(bad) + " records could not be Restored!");
    } else if (failure == MaintenanceFailure::NotFound) {
        platform::ShowWarning("Backup Data File not found!");
    } else if (failure == MaintenanceFailure::NoSpace || failure == MaintenanceFailure::Failed) {
        platform::ShowWarning(
            "Data File Restore Failed! Check if you have enough free disk space.");
    }
    Log(QStringLiteral("Database Restore Failed."));
}

void TMntnDlg::DisplayLog() {
    if (ShowLog) {
        ShowLog();
    }
}

} // namespace shelfwise::book
