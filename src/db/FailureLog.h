#pragma once

#include <exception>
#include <filesystem>

namespace shelfwise::engine {
class Table;
}

namespace shelfwise::db {

// Puts the reason the engine or the file system gave for a failed operation in the program's
// log as "<file>: <reason>", where the user is shown only that the operation failed.
void LogFailure(const std::filesystem::path& file, const std::exception& error);
void LogFailure(const engine::Table& table, const std::exception& error);

} // namespace shelfwise::db
