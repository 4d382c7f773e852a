#pragma once

// Internal: not part of the engine's public interface.

#include <filesystem>
#include <optional>
#include <string>

namespace shelfwise::engine {

std::string lowerCase(std::string s);

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
    // The journal that makes changes of the table's files all-or-nothing. It keeps the case
    // of the table's name, so two tables whose names differ only in case have one each.
    std::filesystem::path journal() const { return directory_ / (table_.stem().string() + ".jnl"); }
    // The journal under the base name in lower case, as older versions named every journal,
    // when it can only be this table's (no table has that exact name).
    std::optional<std::filesystem::path> legacyJournal() const;
    // The index's subtree counts, kept between opens (a cache: see MdxFile::saveCounts).
    std::filesystem::path indexCounts() const { return directory_ / (lowerBaseName() + ".cnt"); }
    // Where a whole-table operation builds the file (".dbf", ".dbt" or ".mdx") that is to
    // replace the table's; the next open removes one that an interrupted operation left.
    std::filesystem::path staged(const std::string& extension) const {
        return directory_ / (lowerBaseName() + extension + "-new");
    }

    static std::optional<std::filesystem::path>
    findCaseInsensitive(const std::filesystem::path& directory, const std::string& fileName);

private:
    std::optional<std::filesystem::path> find(const char* extension) const;

    std::filesystem::path directory_;
    std::filesystem::path table_;
    bool tableExists_ = false;
};

} // namespace shelfwise::engine
