#pragma once

// TMaintenance: the housekeeping of a database directory's tables, as the maintenance dialog
// runs it. Every operation that replaces a table builds the new files beside it and swaps
// them in whole, so a crash leaves the old table or the new one.

#include "engine/Table.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::db {

class TDatabase;

// Why the last operation failed.
enum class MaintenanceFailure {
    None,
    Locked,     // another program holds the table; it needs exclusive use
    NotFound,   // no backup to restore
    NoSpace,    // the disk cannot hold the copy
    BadRecords, // done, but some records could not be copied
    Stopped,    // the user stopped it; nothing changed (Delete Selected keeps its deletions)
    Failed      // the engine or the file system refused; the reason is in the log
};

// What "Delete Selected" did.
struct TDeleteSelectedResult {
    std::uint32_t Deleted = 0;
    std::uint32_t Skipped = 0; // held by another user, or no longer selected
    bool Stopped = false;
};

// The table before a repair or restore.
inline constexpr const char* RepairAsideName = "TEMP$$$.DBF";
// The table a repair or restore builds.
inline constexpr const char* RepairBuildName = "TEMP$00.DBF";

class TMaintenance {
public:
    TMaintenance(TDatabase& database, settings::Settings& settings);

    MaintenanceFailure LastFailure = MaintenanceFailure::None;

    bool RegenerateIndexes(engine::Table& table);
    bool PackTable(engine::Table& table, bool regenerate);
    // False when another program holds the table.
    bool EmptyTable(engine::Table& table);
    // Deletes every tag but the fixed ones and rebuilds the index, which shrinks it.
    bool DeleteIndexes(engine::Table& table);
    // Copies what a salvage read finds of the table into a fresh one, keeping the old as
    // RepairAsideName; `badRecords` counts records that could not be recovered.
    bool RepairTable(engine::Table& table, int& badRecords);
    bool BackupTable(engine::Table& table, int& badRecords);
    bool RestoreTable(engine::Table& table, int& badRecords, bool restoreLists);
    // Copies the lookup lists of one directory into another, each list whole; lists the
    // source lacks stay in the target. False when one could not be copied.
    bool CopyLists(const std::filesystem::path& source, const std::filesystem::path& target);
    // Live records of the table's file, whatever range its cursor has; 0 on any error.
    std::uint32_t CountRecords(const engine::Table& table);
    // Deletes the records of the filter range that `stillSelected` confirms, asking it of each
    // record right before its deletion; the letter range is lifted for it, so records of every
    // letter go. Stopped, it keeps what it deleted so far.
    TDeleteSelectedResult
    DeleteSelected(engine::Table& table,
                   const std::function<bool(const engine::Table&)>& stillSelected);

    // The records the last copy wrote.
    std::uint32_t RecordsCopied = 0;

private:
    std::uint32_t deleteConfirmed(engine::Table& table, const std::vector<std::uint32_t>& part,
                                  const std::function<bool(const engine::Table&)>& stillSelected);
    bool withExclusive(engine::Table& table, bool keepTag, const std::function<void()>& work);
    bool freeToReplace(engine::Table& table);
    bool enoughSpace(const std::filesystem::path& directory, const std::filesystem::path& where,
                     const std::string& fileName, int copies);
    std::uint32_t fillFromSalvage(const std::filesystem::path& directory,
                                  const std::string& fileName, engine::Table& target,
                                  int& badRecords);
    bool rebuildFrom(engine::Table& table, const std::filesystem::path& sourceDirectory,
                     int& badRecords);
    void reopen(engine::Table& table, bool wasOpen);
    bool stopRequested() const;

    TDatabase& database_;
    settings::Settings& settings_;
};

} // namespace shelfwise::db
