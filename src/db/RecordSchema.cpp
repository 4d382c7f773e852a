#include "db/RecordSchema.h"

#include <algorithm>

namespace shelfwise::db {

bool IsNumericType(char type) {
    // Float, integer, BCD and currency are all numeric to the key builder.
    return type == 'N' || type == 'F' || type == 'I' || type == 'Y' || type == '+';
}

void TFieldClasses::Build(const engine::Table& table) {
    TextFields.reset();
    MemoFields.reset();
    PictureFields.reset();
    const int count = std::min<int>(table.fieldCount(), static_cast<int>(FieldSet().size()));
    for (int position = FirstDataField; position < count; ++position) {
        switch (table.field(position).type) {
        case 'C':
            TextFields.set(static_cast<std::size_t>(position));
            break;
        case 'M':
            MemoFields.set(static_cast<std::size_t>(position));
            break;
        case 'B':
        case 'G':
            PictureFields.set(static_cast<std::size_t>(position));
            break;
        default:
            break;
        }
    }
}

void TFieldClasses::ReadDecimals(const engine::Table& table) {
    Decimals.assign(static_cast<std::size_t>(table.fieldCount()), 0);
    for (int position = 0; position < table.fieldCount(); ++position) {
        if (IsNumericType(table.field(position).type)) {
            Decimals[static_cast<std::size_t>(position)] = table.field(position).decimals;
        }
    }
}

void CopyField(const engine::Table& source, engine::Table& target, int position) {
    if (source.isEmpty(position)) {
        target.clear(position);
        return;
    }
    const char type = target.field(position).type;
    if (type == 'M' || type == 'B' || type == 'G') {
        target.setBytes(position, source.bytes(position));
    } else if (type == 'D') {
        target.setDate(position, source.date(position));
    } else if (IsNumericType(type)) {
        target.setNumber(position, source.number(position));
    } else {
        target.setText(position, source.text(position));
    }
}

} // namespace shelfwise::db
