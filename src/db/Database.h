#pragma once

// TDatabase: the files of a database directory and the three tables the program keeps open,
// the data table, the copy buffer and the catalogue. Tables are copies of the template tables
// in the program directory.

#include "db/IndexManager.h"
#include "db/RecordSchema.h"
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

class TLetterTabPanel;
class TProgress;

class TDatabase {
public:
    explicit TDatabase(settings::Settings& settings);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    engine::Table DataTable;
    engine::Table CopyTable;
    engine::Table MasterTable;
    // True until OpenDatabase first succeeds; a failed index creation is silent meanwhile.
    bool FirstOpen = true;
    // A record was copied into the copy buffer in this run.
    bool CopyBufferFilled = false;
    // Field classes of the data table, rebuilt at every open.
    TFieldClasses Fields;
    TIndex Index;
    // The open progress window of a long loop, if any.
    TProgress* CurrentProgress = nullptr;
    // The filter machinery loads the current filter after a database opened, and clears its
    // list when a new data table had to be made.
    std::function<void()> LoadFilter;
    std::function<void()> ClearFilter;

    bool OpenDatabase();
    bool OpenTable(engine::Table& table, const std::string& fileName, bool exclusive);
    bool EnsureOpen(engine::Table& table, bool regenerate);
    bool CreateFromTemplate(engine::Table& table, bool keepIndexes);
    bool CreateInDatabaseDir(const std::string& fileName, bool keepIndexes);
    bool CreateCatalogue(engine::Table& table);
    void DeleteTableFiles(engine::Table& table);
    void DropTable(const std::filesystem::path& directory, const std::string& fileName);
    void DropAllIndexes(engine::Table& table);
    std::uint32_t RecordCount(const engine::Table& table) const;
    bool MoveToRecord(engine::Table& table, std::uint32_t n);
    std::uint32_t CopyRecords(engine::Table& source, engine::Table& target, int& badRecords);
    // Copies the current record of `source` to a new record of `target` numbered `next`, which
    // moves on when the record is written; a record not copied whole counts in `badRecords`.
    void copyRecord(engine::Table& source, engine::Table& target, std::uint32_t& next,
                    int& badRecords);
    void AssignRecordNumber(engine::Table& table);
    // Gives out `count` consecutive record numbers at once and returns the first; numbers left
    // unused stay a gap.
    double ReserveRecordNumbers(std::uint32_t count);
    void RegisterInCatalogue(const std::string& fileName);
    void SetLastRecordNumber(double number, const std::string& fileName);
    void CopyRecordToBuffer(std::uint32_t recordIndex);
    void PasteFromBuffer(std::uint32_t recordIndex, TLetterTabPanel* panel);
    // The captions of the field value menu: one per data field of the current record.
    std::vector<std::string> FieldValueMenu(engine::Table& table);
    void CloseTables();

private:
    void regenerateIndexes(engine::Table& table);
    // The largest record number stored in the table of the database directory; 0 when none.
    double LargestRecordNumber(const std::string& fileName) const;
    bool openCatalogue();
    bool openCopyBuffer();
    bool openDataTable();
    bool createDataTable();
    void afterDataTableOpen();
    void repairIndex(engine::Table& table);
    void replaceTable(engine::Table& table, const std::string& fileName,
                      const std::string& asideBaseName, const std::function<bool()>& create);
    void setAside(const std::string& fileName, const std::string& asideBaseName);
    std::string memoLine(engine::Table& table, int position);

    settings::Settings& settings_;
};

} // namespace shelfwise::db
