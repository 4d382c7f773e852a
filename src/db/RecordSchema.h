#pragma once

// The position-based record schema: every part reaches a field of a table by its position.

#include "engine/Table.h"

#include <bitset>
#include <string>
#include <vector>

namespace shelfwise::db {

// Positions in the data table.
inline constexpr int RecordNumberField = 0;
inline constexpr int MarkField = 1;
inline constexpr int FirstDataField = 2; // field number n stands at position n + 1

// Mark field values set by the filters.
inline constexpr const char* MarkPassed = "2";
inline constexpr const char* MarkFailed = "0";

// Files of a database directory and of the program directory.
inline constexpr const char* DataTemplateName = "data.dbf";
inline constexpr const char* MasterTableName = "master.dbf";
inline constexpr const char* CopyTableName = "copy.dbf";
inline constexpr const char* ListTemplateName = "list.dbf";
inline constexpr const char* BadTableBaseName = "bad$$$";
inline constexpr const char* MasterTag = "IDX0";

// Positions of the catalogue table.
inline constexpr int CatalogueFileName = 0;
inline constexpr int CatalogueName = 1;
inline constexpr int CatalogueDescription = 2;
inline constexpr int CatalogueLastNumber = 3;

using FieldSet = std::bitset<256>;

bool IsNumericType(char type);

// Which fields of a table each dialog offers, and the display precision of numeric fields.
// Only positions from FirstDataField on enter the sets.
struct TFieldClasses {
    FieldSet TextFields;       // character fields
    FieldSet MemoFields;       // memo fields
    FieldSet PictureFields;    // binary fields that are not memo fields
    std::vector<int> Decimals; // by position; 0 for fields without decimals

    void Build(const engine::Table& table);
    void ReadDecimals(const engine::Table& table);
};

// Assigns a field of the target's current record (in edit or insert state) from the field at
// the same position of the source's current record, by the field's kind.
void CopyField(const engine::Table& source, engine::Table& target, int position);

} // namespace shelfwise::db
