#include "db/EditCursor.h"

#include "db/Database.h"
#include "db/FailureLog.h"
#include "engine/EngineError.h"
#include "settings/Settings.h"

namespace shelfwise::db {

bool TEditCursor::Open() {
    Close();
    table_.setDirectory(database_.DataTable.directory());
    table_.setFileName(database_.DataTable.fileName());
    table_.setExclusive(false);
    table_.setReadOnly(database_.DataTable.readOnly());
    table_.setTag("");
    try {
        table_.open();
    } catch (const engine::EngineError& error) {
        LogFailure(table_, error);
        lastError_ = error.what();
        return false;
    }
    return true;
}

void TEditCursor::Close() {
    table_.close();
}

bool TEditCursor::MoveToRecordNumber(std::uint32_t recordNumber) {
    return table_.isOpen() && table_.goToRecord(recordNumber);
}

bool TEditCursor::MoveToPosition(std::uint32_t position) {
    engine::Table& data = database_.DataTable;
    if (!database_.MoveToRecord(data, position) || data.atEnd()) {
        return false;
    }
    return MoveToRecordNumber(data.recordNumber());
}

bool TEditCursor::LockForEdit() {
    try {
        table_.edit();
        return true;
    } catch (const engine::EngineError& error) {
        LogFailure(table_, error);
        lastError_ = error.what();
        return false;
    }
}

bool TEditCursor::IsEditing() const {
    return table_.state() == engine::Table::State::Edit ||
           table_.state() == engine::Table::State::Insert;
}

void TEditCursor::Post() {
    table_.post();
}

void TEditCursor::Cancel() {
    table_.cancel();
}

} // namespace shelfwise::db
