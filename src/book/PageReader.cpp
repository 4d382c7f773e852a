#include "book/PageReader.h"

#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "text/DateText.h"
#include "text/FieldText.h"
#include "text/NumberText.h"
#include "text/WindowsText.h"

#include <cmath>

namespace shelfwise::book {

int TPageReader::FieldPosition(const QString& caption) const {
    for (std::size_t i = 0; i < fieldLabels_.size(); ++i) {
        if (text::FromWindowsText(fieldLabels_[i]).compare(caption, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i) + db::FirstDataField;
        }
    }
    return -1;
}

QString TPageReader::DateFormat(int position) const {
    for (const auto& line : dateFormats_.Lines) {
        if (line.FieldIndex == position - db::FirstDataField) {
            if (const auto format = text::DateFormatText(line.Format)) {
                return *format;
            }
        }
    }
    return *text::DateFormatText(0);
}

TFormatedButton::Column TPageReader::ColumnText(const engine::Table& table, int position) const {
    if (position < 0 || position >= table.fieldCount()) {
        return {};
    }
    const auto& field = table.field(position);
    if (field.type == 'M' || field.type == 'B' || field.type == 'G') {
        return {};
    }
    if (field.type == 'D') {
        try {
            return {text::FormatDate(table.date(position), DateFormat(position))};
        } catch (const engine::EngineError&) {
            // An impossible stored date lists as empty; the record page names it.
            return {};
        }
    }
    if (db::IsNumericType(field.type)) {
        return {text::LocaleNumberText(table.number(position), field.decimals > 0 ? 2 : 0), 0,
                true};
    }
    return {text::FieldText(table, position)};
}

PageTexts TPageReader::Read(engine::Table& table, int start, int rows, const QStringList& captions,
                            int currentRecordId) const {
    PageTexts page;
    if (!table.isOpen()) {
        return page;
    }
    std::vector<int> positions;
    for (const QString& caption : captions) {
        positions.push_back(FieldPosition(caption));
    }
    table.first();
    if (start > 0) {
        table.moveBy(start);
    }
    for (int row = 0; row < rows && !table.atEnd(); ++row) {
        std::vector<TFormatedButton::Column> columns;
        for (std::size_t i = 0; i < positions.size(); ++i) {
            TFormatedButton::Column column = ColumnText(table, positions[i]);
            if (i > 0) {
                column.Text.prepend(' ');
            }
            columns.push_back(column);
        }
        page.Rows.push_back(std::move(columns));
        if (std::lround(table.number(db::RecordNumberField)) == currentRecordId) {
            page.CurrentRow = row;
        }
        table.next();
    }
    return page;
}

} // namespace shelfwise::book
