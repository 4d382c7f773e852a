#pragma once

#include "book/FormatedButton.h"
#include "engine/Table.h"
#include "settings/DateFormatList.h"

#include <string>
#include <vector>

namespace shelfwise::book {

// One page of the left page's list read from the record table: the column texts of each row
// and the row of the shown record.
struct PageTexts {
    std::vector<std::vector<TFormatedButton::Column>> Rows;
    int CurrentRow = -1;
};

// Reads a page of rows: the columns are the fields whose labels the header's captions name,
// dates in their own field's format, numbers right-aligned with thousands separators.
class TPageReader {
public:
    TPageReader(const std::vector<std::string>& fieldLabels,
                const settings::DateFormatList& dateFormats)
        : fieldLabels_(fieldLabels), dateFormats_(dateFormats) {}

    // Table position of the field labelled with the caption (first match, any case); -1
    // when none.
    int FieldPosition(const QString& caption) const;

    // Positions the table on record `start` of its range and reads at most `rows` records.
    PageTexts Read(engine::Table& table, int start, int rows, const QStringList& captions,
                   int currentRecordId) const;

    // One field of the current record as the list shows it; empty for a memo or picture.
    TFormatedButton::Column ColumnText(const engine::Table& table, int position) const;
    // The display format of the date field at that table position.
    QString DateFormat(int position) const;

private:
    const std::vector<std::string>& fieldLabels_;
    const settings::DateFormatList& dateFormats_;
};

} // namespace shelfwise::book
