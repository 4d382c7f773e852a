#include "db/Maintenance.h"

#include "db/CompressedFile.h"
#include "db/Database.h"
#include "db/FailureLog.h"
#include "db/Progress.h"
#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "engine/TableOperations.h"
#include "engine/TableSalvage.h"
#include "platform/Log.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <system_error>
#include <vector>

namespace shelfwise::db {

namespace {

using engine::EngineError;
using engine::Table;

constexpr const char* kExclusiveRefused =
    "Function Failed!\nDatabase may be used by someone else - this function requires Exclusive "
    "Database Use.";
// The new backup is built under this name in the backup directory and copied over the old one
// only when it is complete.
constexpr const char* kBackupBuildName = "bak$$$.dbf";
// A list on its way into a directory.
constexpr const char* kListBuildName = "lst$$$.dbf";
constexpr std::uint32_t kRecordsPerStretch = 1000;
constexpr std::size_t kDeletionsPerBatch = 500;

struct StopSignal {};

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The sizes of the table's files (.dbf, .dbt, .mdx), whatever their case.
std::uintmax_t tableSize(const std::filesystem::path& directory, const std::string& fileName) {
    const std::string base = upperCase(std::filesystem::path(fileName).stem().string());
    std::uintmax_t total = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const std::string ext = upperCase(it->path().extension().string());
        if (upperCase(it->path().stem().string()) == base &&
            (ext == ".DBF" || ext == ".DBT" || ext == ".MDX")) {
            std::error_code sizeError;
            const auto size = it->file_size(sizeError);
            total += sizeError ? 0 : size;
        }
    }
    return total;
}

// The lookup lists of a directory: "list" n ".dbf" and ".mdx", by the number n, whatever the
// case of the names.
std::map<int, std::vector<std::filesystem::path>> listFiles(const std::filesystem::path& dir) {
    static const std::regex name("list([0-9]+)\\.(dbf|mdx)", std::regex::icase);
    std::map<int, std::vector<std::filesystem::path>> lists;
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
         it.increment(error)) {
        std::smatch match;
        const std::string file = it->path().filename().string();
        if (std::regex_match(file, match, name)) {
            lists[std::stoi(match[1].str())].push_back(it->path());
        }
    }
    return lists;
}

} // namespace

TMaintenance::TMaintenance(TDatabase& database, settings::Settings& settings)
    : database_(database), settings_(settings) {}

bool TMaintenance::stopRequested() const {
    return database_.CurrentProgress && database_.CurrentProgress->StopRequested();
}

void TMaintenance::reopen(Table& table, bool wasOpen) {
    table.setExclusive(false);
    if (!wasOpen) {
        return;
    }
    try {
        table.open();
    } catch (const EngineError& error) {
        LogFailure(table, error);
    }
}

// Runs `work` on the table opened exclusively, then opens it shared again when it was open.
bool TMaintenance::withExclusive(Table& table, bool keepTag, const std::function<void()>& work) {
    LastFailure = MaintenanceFailure::None;
    const bool wasOpen = table.isOpen();
    const std::string tag = table.tag();
    table.close();
    table.setTag("");
    bool done = false;
    if (!database_.OpenTable(table, table.fileName(), true)) {
        LastFailure = MaintenanceFailure::Locked;
        platform::ShowError(kExclusiveRefused);
    } else {
        try {
            work();
            done = true;
        } catch (const EngineError& error) {
            LogFailure(table, error);
            LastFailure = MaintenanceFailure::Failed;
        }
    }
    table.close();
    if (keepTag) {
        table.setTag(tag);
    }
    reopen(table, wasOpen);
    return done;
}

bool TMaintenance::RegenerateIndexes(Table& table) {
    return withExclusive(table, false, [&] { table.regenerateIndexes(); });
}

bool TMaintenance::PackTable(Table& table, bool regenerate) {
    // The engine's pack rebuilds every tag anyway.
    (void)regenerate;
    TProgress* progress = database_.CurrentProgress;
    bool stopped = false;
    const bool done = withExclusive(table, true, [&] {
        stopped = !table.pack([&](std::uint32_t read, std::uint32_t total) {
            if (progress) {
                if (read == 1) {
                    progress->SetProgressTotal(total);
                }
                progress->StepProgress();
            }
            return !stopRequested();
        });
    });
    if (done && stopped) {
        LastFailure = MaintenanceFailure::Stopped;
        return false;
    }
    return done;
}

bool TMaintenance::EmptyTable(Table& table) {
    return withExclusive(table, true, [&] { table.empty(); });
}

bool TMaintenance::DeleteIndexes(Table& table) {
    return withExclusive(table, false, [&] {
        const std::vector<engine::TagInfo> tags = table.tags();
        for (auto tag = tags.rbegin(); tag != tags.rend(); ++tag) {
            if (tag->name == TIndex::FixedTags[0] || tag->name == TIndex::FixedTags[1]) {
                continue;
            }
            try {
                table.deleteTag(tag->name);
            } catch (const EngineError& error) {
                LogFailure(table, error);
            }
        }
        // Deleted tags leave free blocks behind; a rebuilt index has none.
        table.regenerateIndexes();
    });
}

std::uint32_t TMaintenance::CountRecords(const Table& table) {
    try {
        Table counter;
        counter.setDirectory(table.directory());
        counter.setFileName(table.fileName());
        counter.setReadOnly(true);
        counter.open();
        return counter.recordCount();
    } catch (const EngineError& error) {
        LogFailure(table, error);
        return 0;
    }
}

// True when no other program has the table open. A table too damaged to open is nobody's.
bool TMaintenance::freeToReplace(Table& table) {
    try {
        Table probe;
        probe.setDirectory(table.directory());
        probe.setFileName(table.fileName());
        probe.setExclusive(true);
        probe.open();
        return true;
    } catch (const EngineError& error) {
        LogFailure(table, error);
        return error.reason() != EngineError::Reason::Locked;
    }
}

bool TMaintenance::enoughSpace(const std::filesystem::path& directory,
                               const std::filesystem::path& where, const std::string& fileName,
                               int copies) {
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(where, error);
    if (!error &&
        space.available / static_cast<std::uintmax_t>(copies) >= tableSize(directory, fileName)) {
        return true;
    }
    LastFailure = MaintenanceFailure::NoSpace;
    return false;
}

// Appends every live record a salvage read of the table finds to `target` (open exclusively,
// empty), numbered from 1; returns the next number.
std::uint32_t TMaintenance::fillFromSalvage(const std::filesystem::path& directory,
                                            const std::string& fileName, Table& target,
                                            int& badRecords) {
    if (database_.CurrentProgress) {
        Table counted;
        counted.setDirectory(directory);
        counted.setFileName(fileName);
        database_.CurrentProgress->SetProgressTotal(CountRecords(counted));
    }
    std::uint32_t next = 1;
    target.beginBulkLoad();
    const engine::SalvageReport report =
        engine::salvageTable(directory, fileName, [&](const engine::SalvagedRecord& record) {
            if (stopRequested()) {
                throw StopSignal{};
            }
            if (record.deleted) {
                return;
            }
            bool bad = false;
            target.append();
            const int fields =
                std::min(target.fieldCount(), static_cast<int>(record.values.size()));
            for (int position = RecordNumberField + 1; position < fields; ++position) {
                try {
                    const char type = target.field(position).type;
                    if (type == 'M' || type == 'B') {
                        target.setBytes(position, record.values[position]);
                    } else {
                        target.setText(position, record.values[position]);
                    }
                } catch (const EngineError& error) {
                    LogFailure(target, error);
                    bad = true;
                }
            }
            // A record that cannot be written is the disk's fault, not the record's: the
            // whole copy fails.
            target.setNumber(RecordNumberField, next);
            target.post();
            ++next;
            badRecords += bad ? 1 : 0;
            if (database_.CurrentProgress) {
                database_.CurrentProgress->StepProgress();
            }
        });
    for (const std::string& problem : report.problems) {
        platform::WriteLog((directory / fileName).string() + ": " + problem);
    }
    badRecords += static_cast<int>(report.recordsSkipped);
    target.endBulkLoad();
    return next;
}

// Builds the table anew from what a salvage read finds of the table of that name in
// `sourceDirectory`, keeps the present table as RepairAsideName and puts the new one in its
// place. Each copy over a name is whole or not at all.
bool TMaintenance::rebuildFrom(Table& table, const std::filesystem::path& sourceDirectory,
                               int& badRecords) {
    const std::filesystem::path& dir = table.directory();
    const std::string& name = table.fileName();
    Table build;
    build.setDirectory(dir);
    build.setFileName(RepairBuildName);
    if (!database_.CreateFromTemplate(build, true)) {
        LastFailure = MaintenanceFailure::Failed;
        return false;
    }
    std::uint32_t next = 1;
    try {
        build.setExclusive(true);
        build.open();
        next = fillFromSalvage(sourceDirectory, name, build, badRecords);
        build.close();
        if (engine::tableExists(dir, name)) {
            engine::copyTable(dir, name, dir, RepairAsideName);
        }
        engine::copyTable(dir, RepairBuildName, dir, name);
    } catch (const StopSignal&) {
        build.close();
        database_.DropTable(dir, RepairBuildName);
        LastFailure = MaintenanceFailure::Stopped;
        return false;
    } catch (const EngineError& error) {
        LogFailure(build, error);
        build.close();
        database_.DropTable(dir, RepairBuildName);
        LastFailure = MaintenanceFailure::Failed;
        return false;
    }
    database_.DropTable(dir, RepairBuildName);
    RecordsCopied = next - 1;
    try {
        database_.SetLastRecordNumber(next, name);
    } catch (const EngineError& error) {
        LogFailure(database_.MasterTable, error);
    }
    if (badRecords > 0) {
        LastFailure = MaintenanceFailure::BadRecords;
        return false;
    }
    return true;
}

bool TMaintenance::RepairTable(Table& table, int& badRecords) {
    badRecords = 0;
    RecordsCopied = 0;
    LastFailure = MaintenanceFailure::None;
    const bool wasOpen = table.isOpen();
    table.close();
    bool done = false;
    if (!engine::tableExists(table.directory(), table.fileName())) {
        LastFailure = MaintenanceFailure::NotFound;
    } else if (!freeToReplace(table)) {
        LastFailure = MaintenanceFailure::Locked;
        platform::ShowError(kExclusiveRefused);
    } else if (enoughSpace(table.directory(), table.directory(), table.fileName(), 3)) {
        done = rebuildFrom(table, table.directory(), badRecords);
    }
    reopen(table, wasOpen);
    return done;
}

bool TMaintenance::RestoreTable(Table& table, int& badRecords, bool restoreLists) {
    badRecords = 0;
    RecordsCopied = 0;
    LastFailure = MaintenanceFailure::None;
    const std::filesystem::path backup = table.directory() / settings::BackupDirName;
    const bool wasOpen = table.isOpen();
    table.close();
    bool done = false;
    bool replaced = false;
    if (!engine::tableExists(backup, table.fileName())) {
        LastFailure = MaintenanceFailure::NotFound;
    } else if (engine::tableExists(table.directory(), table.fileName()) && !freeToReplace(table)) {
        LastFailure = MaintenanceFailure::Locked;
        platform::ShowError(kExclusiveRefused);
    } else if (enoughSpace(backup, table.directory(), table.fileName(), 3)) {
        done = rebuildFrom(table, backup, badRecords);
        replaced = done || LastFailure == MaintenanceFailure::BadRecords;
    }
    if (replaced && restoreLists && !CopyLists(backup, table.directory()) && done) {
        done = false;
        LastFailure = MaintenanceFailure::Failed;
    }
    reopen(table, wasOpen);
    return done;
}

bool TMaintenance::BackupTable(Table& table, int& badRecords) {
    badRecords = 0;
    RecordsCopied = 0;
    LastFailure = MaintenanceFailure::None;
    const std::filesystem::path& dir = table.directory();
    const std::string& name = table.fileName();
    const std::filesystem::path backup = dir / settings::BackupDirName;
    std::error_code error;
    std::filesystem::create_directories(backup, error);
    if (error) {
        LogFailure(backup, std::filesystem::filesystem_error("BACKUP", backup, error));
        LastFailure = MaintenanceFailure::Failed;
        return false;
    }
    if (!enoughSpace(dir, backup, name, 2)) {
        return false;
    }
    Table source;
    source.setDirectory(dir);
    source.setFileName(name);
    source.setReadOnly(true);
    Table build;
    build.setDirectory(backup);
    build.setFileName(kBackupBuildName);
    if (!database_.CreateFromTemplate(build, false)) {
        LastFailure = MaintenanceFailure::Failed;
        return false;
    }
    std::uint32_t next = 1;
    try {
        source.open();
        build.setExclusive(true);
        build.open();
        build.beginBulkLoad();
        if (database_.CurrentProgress) {
            database_.CurrentProgress->SetProgressTotal(source.recordCount());
        }
        bool stopped = false;
        for (source.first(); !source.atEnd() && !stopped;) {
            source.scan(kRecordsPerStretch, [&] {
                database_.copyRecord(source, build, next, badRecords);
                if (database_.CurrentProgress) {
                    database_.CurrentProgress->StepProgress();
                }
                stopped = stopRequested();
                return !stopped;
            });
        }
        source.close();
        build.endBulkLoad();
        build.close();
        if (stopped) {
            LastFailure = MaintenanceFailure::Stopped;
        } else if (badRecords > 0) {
            // An incomplete backup never replaces a complete one.
            LastFailure = MaintenanceFailure::BadRecords;
        } else {
            engine::copyTable(backup, kBackupBuildName, backup, name);
        }
    } catch (const EngineError& failure) {
        LogFailure(build, failure);
        LastFailure = MaintenanceFailure::Failed;
    }
    source.close();
    build.close();
    database_.DropTable(backup, kBackupBuildName);
    if (LastFailure != MaintenanceFailure::None) {
        return false;
    }
    RecordsCopied = next - 1;
    if (!CopyLists(dir, backup)) {
        LastFailure = MaintenanceFailure::Failed;
        return false;
    }
    return true;
}

bool TMaintenance::CopyLists(const std::filesystem::path& source,
                             const std::filesystem::path& target) {
    bool allCopied = true;
    for (const auto& [number, files] : listFiles(source)) {
        const std::string listName = "list" + std::to_string(number) + ".dbf";
        // The list's files are unpacked beside the target under a passing name, then copied
        // over the list as one table, so the list is the old one or the new one, never a mix.
        bool staged = true;
        for (const std::filesystem::path& file : files) {
            const std::string ext =
                upperCase(file.extension().string()) == ".DBF" ? ".dbf" : ".mdx";
            staged = staged && CopyFileCompressed(file, target / ("lst$$$" + ext));
        }
        const bool hasTable = std::any_of(files.begin(), files.end(), [](const auto& file) {
            return upperCase(file.extension().string()) == ".DBF";
        });
        try {
            if (staged && hasTable) {
                engine::copyTable(target, kListBuildName, target, listName);
            }
        } catch (const EngineError& error) {
            LogFailure(target / listName, error);
            staged = false;
        }
        allCopied = allCopied && staged;
        std::error_code ignored;
        if (hasTable) {
            database_.DropTable(target, kListBuildName);
        }
        std::filesystem::remove(target / "lst$$$.mdx", ignored);
    }
    return allCopied;
}

// Deletes the records of `part` that `stillSelected` confirms. In one batch part the header
// is ours and each record locked from its check to its deletion, so no other writer changes a
// record in between. Records another user holds are passed by.
std::uint32_t
TMaintenance::deleteConfirmed(Table& table, const std::vector<std::uint32_t>& part,
                              const std::function<bool(const Table&)>& stillSelected) {
    std::vector<std::uint32_t> confirmed;
    table.beginBatch(static_cast<std::uint32_t>(part.size()));
    table.updateRecords(part, [&](const Table& record, std::size_t index) {
        if (stillSelected(record)) {
            confirmed.push_back(part[index]);
        }
    });
    const std::uint32_t deleted = table.deleteRecords(std::move(confirmed));
    table.endBatch();
    return deleted;
}

TDeleteSelectedResult
TMaintenance::DeleteSelected(Table& table, const std::function<bool(const Table&)>& stillSelected) {
    TDeleteSelectedResult result;
    LastFailure = MaintenanceFailure::None;
    // Only the filter range: the records of every letter go.
    const settings::opt::LetterTabs letterTabs = settings_.LetterTabs;
    settings_.LetterTabs = settings::opt::LetterTabs::DontUse;
    database_.Index.SetLetterRange(table, 'A');
    settings_.LetterTabs = letterTabs;

    std::vector<std::uint32_t> numbers;
    for (table.first(); !table.atEnd();) {
        table.scan(kRecordsPerStretch, [&] {
            numbers.push_back(table.recordNumber());
            return true;
        });
    }
    TProgress* progress = database_.CurrentProgress;
    if (progress) {
        progress->SetProgressTotal(static_cast<std::uint32_t>(numbers.size()));
    }
    std::size_t processed = 0;
    for (std::size_t start = 0; start < numbers.size(); start += kDeletionsPerBatch) {
        if (stopRequested()) {
            result.Stopped = true;
            LastFailure = MaintenanceFailure::Stopped;
            break;
        }
        const std::size_t end = std::min(numbers.size(), start + kDeletionsPerBatch);
        try {
            result.Deleted += deleteConfirmed(
                table,
                std::vector<std::uint32_t>(numbers.begin() + static_cast<std::ptrdiff_t>(start),
                                           numbers.begin() + static_cast<std::ptrdiff_t>(end)),
                stillSelected);
        } catch (const EngineError& error) {
            LogFailure(table, error);
            LastFailure = MaintenanceFailure::Failed;
            break;
        }
        processed = end;
        if (progress) {
            for (std::size_t i = start; i < end; ++i) {
                progress->StepProgress();
            }
        }
    }
    // No longer selected, held by another user, or deleted by one meanwhile.
    result.Skipped = static_cast<std::uint32_t>(processed) - result.Deleted;
    return result;
}

} // namespace shelfwise::db
