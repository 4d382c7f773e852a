#include "db/FailureLog.h"

#include "engine/Table.h"
#include "platform/Log.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace shelfwise::db {

namespace {

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    const auto same = [](unsigned char a, unsigned char b) {
        return std::toupper(a) == std::toupper(b);
    };
    return std::search(text.begin(), text.end(), part.begin(), part.end(), same) != text.end();
}

} // namespace

void LogFailure(const std::filesystem::path& file, const std::exception& error) {
    const std::string_view reason = error.what();
    // Most reasons name their file already, spelt as it was found on disk.
    const std::string name = file.filename().string();
    if (!name.empty() && containsIgnoringCase(reason, name)) {
        platform::WriteLog(reason);
    } else {
        platform::WriteLog(file.string() + ": " + std::string(reason));
    }
}

void LogFailure(const engine::Table& table, const std::exception& error) {
    LogFailure(table.directory() / table.fileName(), error);
}

} // namespace shelfwise::db
