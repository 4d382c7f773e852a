#pragma once

#include "book/BookWindow.h"
#include "engine/Table.h"

namespace shelfwise::book {

// Longest text a single-line field stores.
inline constexpr int MaxFieldText = 254;

// Moves values between one field editor and one field of a table's current record, by the
// kinds of both. Engine errors pass to the caller.
class TFieldBinding {
public:
    // The field's value into the editor.
    static void Show(const FieldEditor& editor, const engine::Table& table, int position);
    // The editor's value into the field of a record in edit or insert state.
    static void Write(const FieldEditor& editor, engine::Table& table, int position);
    // True when the editor holds something worth storing.
    static bool IsFilled(const FieldEditor& editor);
    static void Clear(const FieldEditor& editor);
    static QString Text(const FieldEditor& editor);
};

} // namespace shelfwise::book
