#pragma once

#include <QString>

namespace shelfwise::book {

// Where the last page of a range starts: a whole page multiple, one page back when the count
// is an exact multiple, so the last page is never empty.
int LastPageStart(int count, int rowsPerPage);

// The texts of PgR_Lbl and Perc_Lbl for the shown record.
struct PositionTexts {
    QString Position;
    QString Percent;
};
PositionTexts PositionLabelTexts(int position, int count, bool newRecord);

// What the enabled state of the paging and record stepping commands depends on.
struct PagingInput {
    int PageStart = 0;
    int RowsPerPage = 1;
    int RangeCount = 0;
    bool LettersActive = false;
    char CurrentLetter = 'A';
    bool NewRecord = false;
    int RecordPosition = 0;
    char RecordLetter = 'A';
    int RecordLetterCount = 0;
    bool EarlierLetterHasRecords = false;
    bool LaterLetterHasRecords = false;
    // Read-only access to a table without any record.
    bool ReadOnlyAndEmpty = false;
};

struct PagingCommands {
    bool First = false;
    bool PageUp = false;
    bool PageDown = false;
    bool Last = false;
    bool Previous = false;
    bool Next = false;
};

PagingCommands EnabledPagingCommands(const PagingInput& in);

} // namespace shelfwise::book
