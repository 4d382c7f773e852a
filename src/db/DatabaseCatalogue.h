#pragma once

// TDatabaseCatalogue: the databases of a database directory as its catalogue table
// "master.dbf" lists them, and the operations of the "Load Database" dialog on them. It works
// on the database's MasterTable in DatabaseDir, which Open changes.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::db {

class TDatabase;

struct TCatalogueEntry {
    std::string FileName;
    std::string Name;
    std::string Description;

    bool operator==(const TCatalogueEntry&) const = default;
};

class TDatabaseCatalogue {
public:
    // File names of new databases: "data_" + n + ".dbf" for n in 1..MaxDatabases.
    static constexpr int MaxDatabases = 999;
    static constexpr std::size_t MaxFileNameLength = 12;

    TDatabaseCatalogue(TDatabase& database, settings::Settings& settings);

    // DatabaseDir := directory, and the catalogue there is opened shared on its tag "IDX0".
    bool Open(const std::filesystem::path& directory);
    // The catalogue's records by file name (the order of "IDX0").
    std::vector<TCatalogueEntry> Entries();
    std::optional<TCatalogueEntry> Find(const std::string& fileName);

    // The smallest free "data_<n>.dbf"; nothing when all are taken.
    std::optional<std::string> NextFileName();
    // Registers a new database under the next free file name and makes its table when no
    // file of that name is there yet. Nothing when no file name is free.
    std::optional<std::string> Create(const std::string& name, const std::string& description);
    // Stores the name and description of a database; false when it is not listed.
    bool Describe(const std::string& fileName, const std::string& name,
                  const std::string& description);

    // Another open of the table (in this program or another) keeps it from being deleted.
    bool InUse(const std::string& fileName) const;
    // Drops the database's table, then removes it from the catalogue and drops its copy in
    // "BACKUP"; false when it is not listed. Throws EngineError, leaving the database listed,
    // when the table cannot be dropped (another program holds it). The catalogue is packed when
    // nobody else has it open.
    bool Delete(const std::string& fileName);

    // The file to load for a listed database, its table made when the file is missing;
    // nothing when it is not listed.
    std::optional<std::string> PrepareLoad(const std::string& fileName);

private:
    std::optional<std::string> NextFileName(const std::set<std::string>& claimedElsewhere);
    bool ClaimTableFile(const std::string& fileName) const;
    bool TableFileExists(const std::string& fileName) const;
    void PackCatalogue();

    TDatabase& database_;
    settings::Settings& settings_;
};

} // namespace shelfwise::db
