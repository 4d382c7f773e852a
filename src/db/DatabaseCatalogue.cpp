#include "db/DatabaseCatalogue.h"

#include "db/Database.h"
#include "db/FailureLog.h"
#include "db/IndexManager.h"
#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "engine/TableOperations.h"
#include "settings/Settings.h"
#include "settings/SettingsFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace shelfwise::db {

using engine::EngineError;

TDatabaseCatalogue::TDatabaseCatalogue(TDatabase& database, settings::Settings& settings)
    : database_(database), settings_(settings) {}

bool TDatabaseCatalogue::Open(const std::filesystem::path& directory) {
    settings_.DatabaseDir = directory;
    engine::Table& master = database_.MasterTable;
    master.close();
    master.setTag(MasterTag);
    return database_.OpenTable(master, MasterTableName, false);
}

std::vector<TCatalogueEntry> TDatabaseCatalogue::Entries() {
    std::vector<TCatalogueEntry> entries;
    engine::Table& master = database_.MasterTable;
    if (!master.isOpen()) {
        return entries;
    }
    for (master.first(); !master.atEnd(); master.next()) {
        entries.push_back({master.text(CatalogueFileName), master.text(CatalogueName),
                           master.text(CatalogueDescription)});
    }
    return entries;
}

std::optional<TCatalogueEntry> TDatabaseCatalogue::Find(const std::string& fileName) {
    engine::Table& master = database_.MasterTable;
    // The tag's key is the file name in upper case, so names that differ only in case are
    // one, as their files would be; a longer name that merely begins alike is another.
    // Only a plain file name is a database of this directory: the name is used as a path.
    if (!master.isOpen() || !settings::IsPlainFileName(fileName) ||
        !master.findKey({{CatalogueFileName, fileName}})) {
        return std::nullopt;
    }
    std::string found = master.text(CatalogueFileName);
    if (found.size() != fileName.size()) {
        return std::nullopt;
    }
    return TCatalogueEntry{std::move(found), master.text(CatalogueName),
                           master.text(CatalogueDescription)};
}

std::optional<std::string> TDatabaseCatalogue::NextFileName() {
    return NextFileName({});
}

std::optional<std::string>
TDatabaseCatalogue::NextFileName(const std::set<std::string>& claimedElsewhere) {
    for (int n = 1; n <= MaxDatabases; ++n) {
        std::string name = ("data_" + std::to_string(n) + ".dbf").substr(0, MaxFileNameLength);
        if (!claimedElsewhere.contains(name) && !Find(name)) {
            return name;
        }
    }
    return std::nullopt;
}

// A table file made with O_EXCL belongs to this program alone: another program creating a
// database at the same moment gets an error for that name and moves on to the next number.
bool TDatabaseCatalogue::ClaimTableFile(const std::string& fileName) const {
    const std::filesystem::path path = settings_.DatabaseDir / fileName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST) {
            return false;
        }
        throw EngineError(path.string() + ": could not be created: " + std::strerror(errno),
                          EngineError::Reason::Io);
    }
    ::close(fd);
    return true;
}

std::optional<std::string> TDatabaseCatalogue::Create(const std::string& name,
                                                      const std::string& description) {
    std::set<std::string> claimedElsewhere;
    std::optional<std::string> fileName;
    while ((fileName = NextFileName(claimedElsewhere))) {
        if (ClaimTableFile(*fileName)) {
            engine::copyTable(settings_.ProgramDir, DataTemplateName, settings_.DatabaseDir,
                              *fileName);
            break;
        }
        // A table already there that no database lists is taken over with its records; an
        // empty file is another program's claim that it is still filling.
        std::error_code error;
        if (std::filesystem::file_size(settings_.DatabaseDir / *fileName, error) > 0 && !error) {
            break;
        }
        claimedElsewhere.insert(*fileName);
    }
    if (!fileName) {
        return std::nullopt;
    }
    engine::Table& master = database_.MasterTable;
    master.append();
    try {
        master.setText(CatalogueFileName, *fileName);
        master.setText(CatalogueName, name);
        master.setText(CatalogueDescription, description);
        master.setNumber(CatalogueLastNumber, 1);
        master.post();
    } catch (const EngineError&) {
        master.cancel();
        throw;
    }
    return fileName;
}

bool TDatabaseCatalogue::Describe(const std::string& fileName, const std::string& name,
                                  const std::string& description) {
    if (!Find(fileName)) {
        return false;
    }
    engine::Table& master = database_.MasterTable;
    master.edit();
    try {
        master.setText(CatalogueName, name);
        master.setText(CatalogueDescription, description);
        master.post();
    } catch (const EngineError&) {
        master.cancel();
        throw;
    }
    return true;
}

bool TDatabaseCatalogue::TableFileExists(const std::string& fileName) const {
    return engine::tableExists(settings_.DatabaseDir, fileName);
}

bool TDatabaseCatalogue::InUse(const std::string& fileName) const {
    if (!TableFileExists(fileName)) {
        return false;
    }
    engine::Table probe;
    probe.setDirectory(settings_.DatabaseDir);
    probe.setFileName(fileName);
    probe.setExclusive(true);
    try {
        probe.open();
        probe.close();
        return false;
    } catch (const EngineError&) {
        return true;
    }
}

bool TDatabaseCatalogue::Delete(const std::string& fileName) {
    if (!Find(fileName)) {
        return false;
    }
    // The table goes first: while another program holds it, the engine refuses and the
    // database stays listed with its files.
    if (TableFileExists(fileName)) {
        engine::deleteTable(settings_.DatabaseDir, fileName);
    }
    if (!Find(fileName)) {
        return false;
    }
    database_.MasterTable.deleteRecord();
    database_.DropTable(settings_.DatabaseDir / settings::BackupDirName, fileName);
    // A database that gets this file name later must not inherit the old sort.
    std::error_code ignored;
    std::filesystem::remove(TIndex::SortStatePathOf(settings_.DatabaseDir, fileName), ignored);
    PackCatalogue();
    return true;
}

// Packing needs the catalogue alone; while another program has it open the deleted record
// simply stays marked until the next pack.
void TDatabaseCatalogue::PackCatalogue() {
    engine::Table& master = database_.MasterTable;
    master.close();
    if (database_.OpenTable(master, MasterTableName, true)) {
        try {
            master.pack();
        } catch (const EngineError& error) {
            LogFailure(master, error);
        }
        master.close();
    }
    master.setExclusive(false);
    database_.OpenTable(master, MasterTableName, false);
}

std::optional<std::string> TDatabaseCatalogue::PrepareLoad(const std::string& fileName) {
    const auto entry = Find(fileName);
    if (!entry) {
        return std::nullopt;
    }
    if (!TableFileExists(entry->FileName)) {
        database_.CreateInDatabaseDir(entry->FileName, true);
    }
    return entry->FileName;
}

} // namespace shelfwise::db
