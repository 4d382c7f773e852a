#include "book/RecordOperations.h"

#include "book/DeleteDlg.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "db/Database.h"
#include "db/FailureLog.h"
#include "engine/EngineError.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"

#include <algorithm>

namespace shelfwise::book {

namespace {

void CancelEdit(engine::Table& table) {
    if (table.isOpen() && table.state() != engine::Table::State::Browse) {
        table.cancel();
    }
}

} // namespace

void TRecordOperations::NewRecord() {
    TRecordPage& page = parts_.RecordPage;
    db::TDatabase& database = parts_.Database;
    page.ShowRecordAt(static_cast<int>(database.RecordCount(database.DataTable)));
    if (page.NewRecord() && !page.RecordInUse() && !settings::ReadOnlyAccess(parts_.Settings)) {
        parts_.FocusFirstField();
    }
}

bool TRecordOperations::ConfirmDelete() const {
    return ConfirmRecordDelete(&parts_.Window, parts_.Settings);
}

void TRecordOperations::DeleteShownRecord() {
    TRecordPage& page = parts_.RecordPage;
    if (page.RecordIsEmpty() || !ConfirmDelete()) {
        return;
    }
    if (page.NewRecord()) {
        page.ClearEditors();
        return;
    }
    engine::Table& edit = page.EditCursor().Table();
    if (edit.atEnd()) {
        return;
    }
    db::TIndex& index = parts_.Database.Index;
    const char letter = index.FirstLetter(edit);
    try {
        edit.deleteRecord();
    } catch (const engine::EngineError& error) {
        db::LogFailure(edit, error);
        platform::ShowError("Record in use - not Deleted!");
        return;
    }
    index.AdjustLetterCount(letter, 0, page.LetterPanel);
    // The record that followed the deleted one takes its place; nothing is left to settle.
    const int target = std::max(page.RecordPosition() - 1, 0);
    page.SetRecordPosition(0);
    page.ShowRecordAt(target);
    parts_.Navigator.RedrawPage();
}

bool TRecordOperations::IsShownRecord() const {
    TRecordPage& page = parts_.RecordPage;
    const engine::Table& data = parts_.Database.DataTable;
    return !page.NewRecord() && !data.atEnd() &&
           data.recordNumber() == page.EditCursor().Table().recordNumber();
}

void TRecordOperations::DeleteListedRecord(std::uint32_t position) {
    db::TDatabase& database = parts_.Database;
    engine::Table& data = database.DataTable;
    database.MoveToRecord(data, position);
    if (data.atEnd()) {
        platform::ShowInformation("Empty Record cannot be Deleted.");
        return;
    }
    if (IsShownRecord()) {
        DeleteShownRecord();
        return;
    }
    if (!ConfirmDelete()) {
        return;
    }
    TRecordPage& page = parts_.RecordPage;
    database.MoveToRecord(data, position);
    char letter = 0;
    try {
        data.edit();
        letter = database.Index.FirstLetter(data);
        data.deleteRecord();
    } catch (const engine::EngineError& error) {
        db::LogFailure(data, error);
        CancelEdit(data);
        platform::ShowError("Record in use - not Deleted!");
        return;
    }
    database.Index.AdjustLetterCount(letter, 0, page.LetterPanel);
    parts_.Navigator.RedrawPage();
    FollowShownRecordAfterDelete(position);
}

void TRecordOperations::MoveShownPosition(int position) {
    parts_.RecordPage.SetRecordPosition(position);
    parts_.Navigator.UpdatePositionLabels();
}

void TRecordOperations::FollowShownRecordAfterDelete(std::uint32_t deleted) {
    TRecordPage& page = parts_.RecordPage;
    db::TDatabase& database = parts_.Database;
    if (page.NewRecord()) {
        // A new record stands after the range, whatever went from it.
        MoveShownPosition(static_cast<int>(database.RecordCount(database.DataTable)) + 1);
        return;
    }
    if (database.Index.LetterTabsActive() &&
        page.RecordLetter() != parts_.Navigator.CurrentLetter()) {
        return;
    }
    if (static_cast<int>(deleted) + 1 < page.RecordPosition()) {
        MoveShownPosition(page.RecordPosition() - 1);
    }
}

void TRecordOperations::CopyShownRecord() {
    TRecordPage& page = parts_.RecordPage;
    if (page.RecordIsEmpty()) {
        platform::ShowWarning("Empty Record - Not Copied!");
        return;
    }
    if (!page.SettleEditors()) {
        return;
    }
    db::TDatabase& database = parts_.Database;
    engine::Table& buffer = database.CopyTable;
    try {
        buffer.first();
        if (page.WriteRecordFields(buffer)) {
            database.CopyBufferFilled = true;
            return;
        }
    } catch (const engine::EngineError& error) {
        db::LogFailure(buffer, error);
    }
    CancelEdit(buffer);
}

void TRecordOperations::CopyListedRecord(std::uint32_t position) {
    parts_.Database.CopyRecordToBuffer(position);
}

void TRecordOperations::PasteShownRecord() {
    TRecordPage& page = parts_.RecordPage;
    db::TDatabase& database = parts_.Database;
    // A record shown read-only could not keep what is pasted.
    if (!database.CopyBufferFilled || page.RecordInUse()) {
        return;
    }
    database.CopyTable.first();
    page.FillEditors(database.CopyTable);
}

void TRecordOperations::PasteListedRecord(std::uint32_t position) {
    db::TDatabase& database = parts_.Database;
    database.MoveToRecord(database.DataTable, position);
    if (IsShownRecord()) {
        PasteShownRecord();
        return;
    }
    if (!database.CopyBufferFilled) {
        return;
    }
    database.PasteFromBuffer(position, parts_.RecordPage.LetterPanel);
    parts_.Navigator.RedrawPage();
    FollowShownRecordAfterPaste();
}

void TRecordOperations::FollowShownRecordAfterPaste() {
    TRecordPage& page = parts_.RecordPage;
    db::TDatabase& database = parts_.Database;
    engine::Table& data = database.DataTable;
    if (page.NewRecord()) {
        // An appended record may have lengthened the range.
        MoveShownPosition(static_cast<int>(database.RecordCount(data)) + 1);
        return;
    }
    // The pasted record may have moved by one place before or after the shown one.
    db::TIndex& index = database.Index;
    const bool otherLetter =
        index.LetterTabsActive() && page.RecordLetter() != parts_.Navigator.CurrentLetter();
    if (otherLetter) {
        index.SetLetterRange(data, page.RecordLetter());
    }
    int position = page.RecordPosition();
    database.MoveToRecord(data, static_cast<std::uint32_t>(std::max(position - 1, 0)));
    if (data.atEnd()) {
        --position;
    } else if (!IsShownRecord()) {
        data.next();
        position += IsShownRecord() ? 1 : -1;
    }
    if (otherLetter) {
        index.SetLetterRange(data, parts_.Navigator.CurrentLetter());
    }
    MoveShownPosition(position);
}

void TRecordOperations::UndoChanges() {
    TRecordPage& page = parts_.RecordPage;
    if (page.NewRecord()) {
        page.ClearEditors();
    } else {
        page.FillEditors(page.EditCursor().Table());
    }
}

void TRecordOperations::PrintShownRecord() {
    TRecordPage& page = parts_.RecordPage;
    if (!PrintRecord || page.RecordIsEmpty() || !page.SettleRecord()) {
        return;
    }
    engine::Table& edit = page.EditCursor().Table();
    if (edit.atEnd()) {
        return;
    }
    PrintRecord(edit);
    // Settling gave up the lock: the record is loaded afresh so later edits are kept.
    page.LoadCurrentRecord(page.RecordPosition());
}

void TRecordOperations::PrintListedRecord(std::uint32_t position) {
    db::TDatabase& database = parts_.Database;
    if (!PrintRecord) {
        return;
    }
    database.MoveToRecord(database.DataTable, position);
    if (database.DataTable.atEnd()) {
        platform::ShowInformation("Empty Record cannot be Printed.");
        return;
    }
    PrintRecord(database.DataTable);
}

} // namespace shelfwise::book
