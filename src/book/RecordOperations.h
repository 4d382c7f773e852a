#pragma once

#include "book/CommandParts.h"

#include <cstdint>
#include <functional>
#include <utility>

namespace shelfwise::engine {
class Table;
}

namespace shelfwise::book {

// The parts of the book window the record operations work on.
struct TRecordParts : TCommandParts {
    // A new record to fill: its first field's page and the focus in it.
    std::function<void()> FocusFirstField;
};

// What the user does to whole records: a new record, delete, copy into and paste from the copy
// buffer, undo and printing one record. Operations on the shown record work through its
// editors and the edit cursor; those on a listed record (a position in the record table's
// range) work on the record table and leave the shown record alone.
class TRecordOperations {
public:
    explicit TRecordOperations(TRecordParts parts) : parts_(std::move(parts)) {}

    // The printing of one record, given the table positioned on it; none until printing exists.
    std::function<void(engine::Table&)> PrintRecord;

    void NewRecord();
    void DeleteShownRecord();
    void DeleteListedRecord(std::uint32_t position);
    void CopyShownRecord();
    void CopyListedRecord(std::uint32_t position);
    void PasteShownRecord();
    void PasteListedRecord(std::uint32_t position);
    void UndoChanges();
    void PrintShownRecord();
    void PrintListedRecord(std::uint32_t position);

private:
    bool ConfirmDelete() const;
    // Whether the record table stands on the shown record.
    bool IsShownRecord() const;
    // After a listed record went or moved, the shown record's position in its range.
    // The shown record stands elsewhere in the range now; the position display follows.
    void MoveShownPosition(int position);
    void FollowShownRecordAfterDelete(std::uint32_t deleted);
    void FollowShownRecordAfterPaste();

    TRecordParts parts_;
};

} // namespace shelfwise::book
