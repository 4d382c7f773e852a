#include "book/ReplaceCommands.h"

#include "book/CommandRegistry.h"
#include "book/FindCommands.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "book/SortButton.h"
#include "book/SortCommands.h"
#include "db/Database.h"
#include "search/Filter.h"
#include "search/FindDlg.h"
#include "settings/SettingsFiles.h"
#include "text/WindowsText.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>

namespace shelfwise::book {

TReplaceCommands::TReplaceCommands(TReplaceParts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)) {
    parts_.Commands.Define(QStringLiteral("Replace"), {"B_Replace", "Replace1"},
                           [this] { ShowReplace(); });
    // A read-only user changes no record.
    parts_.Commands.Enable(QStringLiteral("Replace"), !settings::ReadOnlyAccess(parts_.Settings));
    parts_.FindCommands.SearchStarting = [this] { FreeReplace(); };
    parts_.Window.installEventFilter(this);
}

TReplaceCommands::~TReplaceCommands() {
    if (replace_ != nullptr) {
        replace_->Abandon();
    }
}

void TReplaceCommands::ShowReplace() {
    if (settings::ReadOnlyAccess(parts_.Settings)) {
        return;
    }
    if (replace_ != nullptr && openedOn_ != OpenDatabase()) {
        // Its field list is another database's.
        FreeReplace();
    }
    if (replace_ == nullptr) {
        openedOn_ = OpenDatabase();
        db::TDatabase& database = parts_.Database;
        replace_ = new search::TReplaceDlg(database.DataTable, database.Fields,
                                           parts_.Settings.FieldLabels);
        replace_->SetHooks(this);
    }
    if (const QScreen* screen = parts_.Window.screen()) {
        replace_->move(search::BesideBookWindow(parts_.Window.frameGeometry(), replace_->size(),
                                                screen->availableGeometry().size()));
    }
    replace_->show();
    replace_->raise();
    replace_->activateWindow();
    parts_.Navigator.FocusCurrentRow();
}

void TReplaceCommands::FreeReplace() {
    if (replace_ != nullptr) {
        replace_->Free();
    }
}

bool TReplaceCommands::eventFilter(QObject* watched, QEvent* event) {
    const bool gone = event->type() == QEvent::Hide ||
                      (event->type() == QEvent::WindowStateChange && parts_.Window.isMinimized());
    if (watched == &parts_.Window && gone) {
        FreeReplace();
    }
    return QObject::eventFilter(watched, event);
}

std::filesystem::path TReplaceCommands::OpenDatabase() const {
    const engine::Table& table = parts_.Database.DataTable;
    return table.directory() / table.fileName();
}

std::optional<search::TReplaceScope> TReplaceCommands::BeforeReplace() {
    if (openedOn_ != OpenDatabase()) {
        // Another database was loaded since the window was made: its field list names other
        // fields. The window goes; the next Replace command makes it afresh.
        QTimer::singleShot(0, this, &TReplaceCommands::FreeReplace);
        return std::nullopt;
    }
    if (search::TFindDlg* find = parts_.FindCommands.FindWindow()) {
        find->close();
    }
    if (!parts_.RecordPage.CommitRecord()) {
        return std::nullopt;
    }
    search::TFilterList& filter = parts_.Filter;
    // The marks are the filter's only while it marks posted records.
    const search::TReplaceScope scope{parts_.SortButton.Filter(),
                                      filter.EvaluationOn() ? &filter : nullptr};
    // Changed records keep their marks: none drops out of the list it was chosen from.
    filter.SetEvaluation(false);
    parts_.Window.setEnabled(false);
    db::TEditCursor& cursor = parts_.RecordPage.EditCursor();
    const std::uint32_t shown = cursor.IsOpen() ? cursor.Table().recordNumber() : 0;
    cursor.Close();
    if (shown != 0) {
        parts_.Database.DataTable.goToRecord(shown);
    }
    return scope;
}

void TReplaceCommands::AfterReplace(bool refused) {
    if (refused) {
        // The user kept the shown record's changes: nothing may reload it.
        parts_.Window.setEnabled(true);
        return;
    }
    parts_.SortCommands.ReopenRecordList();
    parts_.Window.setEnabled(true);
    parts_.RecordPage.Restart();
}

void TReplaceCommands::LogEntry(const std::string& description) {
    if (AddLogEntry) {
        AddLogEntry(text::FromWindowsText(parts_.Database.MasterTable.text(db::CatalogueName)),
                    QString::fromStdString(description));
    }
}

} // namespace shelfwise::book
