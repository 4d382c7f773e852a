#pragma once

#include <filesystem>

namespace shelfwise::db {

// A .dbf whose last record was cut short (its record count runs past the end of the file, by
// less than one record) gets the count of the records it holds whole, so it opens without
// the partial one. False, and the file untouched, for any other state.
bool DropCutShortRecord(const std::filesystem::path& table);

} // namespace shelfwise::db
