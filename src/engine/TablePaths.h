#pragma once

// Internal: not part of the engine's public interface.

#include <filesystem>
#include <optional>
#include <string>

namespace shelfwise::engine {

// The files of one table: the .dbf, its memo file and its production index. Tables come from
// case-insensitive systems, so existing files are found whatever their case; new companion
// files get the table's base name in lower case.
class TablePaths {
public:
    // `fileName` may lack the ".dbf" extension.
    TablePaths(const std::filesystem::path& directory, const std::string& fileName);

    const std::filesystem::path& directory() const { return directory_; }
    // The table file as found on disk, or as named when it does not exist.
    const std::filesystem::path& table() const { return table_; }
    bool tableExists() const { return tableExists_; }
    std::optional<std::filesystem::path> existingMemo() const { return find(".dbt"); }
    std::optional<std::filesystem::path> existingIndex() const { return find(".mdx"); }
    std::filesystem::path newMemo() const { return directory_ / (lowerBaseName() + ".dbt"); }
    std::filesystem::path newIndex() const { return directory_ / (lowerBaseName() + ".mdx"); }
    std::string lowerBaseName() const;

    static std::optional<std::filesystem::path>
    findCaseInsensitive(const std::filesystem::path& directory, const std::string& fileName);

private:
    std::optional<std::filesystem::path> find(const char* extension) const;

    std::filesystem::path directory_;
    std::filesystem::path table_;
    bool tableExists_ = false;
};

} // namespace shelfwise::engine
