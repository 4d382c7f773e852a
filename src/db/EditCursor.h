#pragma once

// TEditCursor: the second cursor on the open data table, on which the book window edits the
// record it shows. Its edit state holds a record lock that other cursors and programs see.

#include "engine/Table.h"

#include <cstdint>
#include <string>

namespace shelfwise::db {

class TDatabase;

class TEditCursor {
public:
    explicit TEditCursor(TDatabase& database) : database_(database) {}

    // Opens shared on the data table of the open database, in physical order.
    bool Open();
    void Close();
    bool IsOpen() const { return table_.isOpen(); }

    // Moves to the record of that physical number (1-based); false when there is none.
    bool MoveToRecordNumber(std::uint32_t recordNumber);
    // Moves to the record at that 0-based position of the data table's current order and
    // range; false past the end.
    bool MoveToPosition(std::uint32_t position);

    // Locks the current record for editing; false, with the reason in LastError(), when
    // another cursor or program holds it.
    bool LockForEdit();
    bool IsEditing() const;
    void Post();
    void Cancel();

    engine::Table& Table() { return table_; }
    const engine::Table& Table() const { return table_; }
    const std::string& LastError() const { return lastError_; }

private:
    TDatabase& database_;
    engine::Table table_;
    std::string lastError_;
};

} // namespace shelfwise::db
