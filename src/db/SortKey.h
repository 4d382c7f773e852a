#pragma once

// The key expression of a sort: one or two fields of the data table, each ascending or
// descending, turned into a dBASE key expression for an index tag.

#include "engine/FieldDescriptor.h"

#include <cstdint>
#include <string>

namespace shelfwise::db {

// The four sort values, as the sort state file holds them. Field values are table positions;
// a primary field of 0 sorts by the record number field, a secondary field below
// FirstDataField or equal to the primary field means none.
struct SortValues {
    std::uint8_t PrimaryField = 0;
    bool PrimaryDescending = false;
    std::uint8_t SecondaryField = 0;
    bool SecondaryDescending = false;

    bool operator==(const SortValues&) const = default;
};

// Index options of a key, as the engine's index definitions give them.
enum IndexOption : std::uint8_t { ixDescending = 4, ixExpression = 16 };

struct SortKey {
    std::string Expression;         // empty when the fields give no key
    std::string FilteredExpression; // the mark field's name, "+", and the expression
    std::uint8_t Options = 0;
    std::uint8_t FilteredOptions = 0;

    bool operator==(const SortKey&) const = default;
};

// Builds the key from the table's field names, kinds and widths. Keys never exceed 99
// characters, so the filtered form fits the index's 100-byte keys.
SortKey BuildSortKey(const engine::FieldList& fields, const SortValues& sort);

} // namespace shelfwise::db
