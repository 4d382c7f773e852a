#include "engine/TableOperations.h"

#include "engine/DbfFile.h"
#include "engine/EngineError.h"
#include "engine/MemoFile.h"
#include "engine/TableJournal.h"
#include "engine/TableLocks.h"
#include "engine/TablePaths.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace shelfwise::engine {

namespace {

// The table's .dbf opened and held exclusively, so no cursor in any process has the table
// open while its files are replaced, renamed or deleted.
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::filesystem::path& table)
        : file_(table, PosixFile::Access::ReadWrite), locks_(file_) {
        if (!locks_.tryLockOpen(true)) {
            file_.fail("the table is in use by someone else", EngineError::Reason::Locked);
        }
    }
    PosixFile& file() { return file_; }

private:
    PosixFile file_;
    TableLocks locks_;
};

std::vector<std::filesystem::path> existingFiles(const TablePaths& paths) {
    std::vector<std::filesystem::path> files;
    if (paths.tableExists()) {
        files.push_back(paths.table());
    }
    for (const auto& companion : {paths.existingMemo(), paths.existingIndex()}) {
        if (companion) {
            files.push_back(*companion);
        }
    }
    return files;
}

// The memo header names its table (bytes 8-15); a copy or rename names the new one.
constexpr std::uint64_t kMemoNameOffset = 8;
std::string memoTableName(const std::string& baseName) {
    std::string name(8, '\0');
    std::copy_n(baseName.begin(), std::min(baseName.size(), name.size()), name.begin());
    return name;
}

// The index header names its table too, at bytes 4-19 (NUL-padded, at most 15 characters).
constexpr std::uint64_t kIndexNameOffset = 4;
std::string indexTableName(const std::string& baseName) {
    std::string name(16, '\0');
    std::copy_n(baseName.begin(), std::min(baseName.size(), name.size() - 1), name.begin());
    return name;
}

// Copies a file to a staged path, names the target table in it, and flushes it.
void stageCopy(const std::filesystem::path& from, const std::filesystem::path& to,
               std::uint64_t nameOffset, const std::string& name) {
    PosixFile copy = PosixFile::create(to);
    copyContents(PosixFile(from, PosixFile::Access::ReadOnly), copy);
    copy.writeAt(name.data(), name.size(), nameOffset);
    copy.sync();
}

// Swaps the staged files in for the table's, which nobody may have open; the caller
// finished the table's journal. The new .dbf is held exclusively until its companions are in
// place, so no other program opens it under the name before then.
void swapStaged(const TablePaths& paths) {
    ExclusiveHold fresh(paths.staged(".dbf"));
    SwapPlan plan;
    plan.renames.push_back({paths.staged(".dbf"), paths.table()});
    const std::pair<const char*, std::optional<std::filesystem::path>> companions[] = {
        {".dbt", paths.existingMemo()}, {".mdx", paths.existingIndex()}};
    for (const auto& [extension, existing] : companions) {
        // New companion files get the base name in lower case, as createTable() gives them.
        const std::filesystem::path fresh = paths.directory() / (paths.lowerBaseName() + extension);
        if (identityOf(paths.staged(extension))) {
            plan.renames.push_back({paths.staged(extension), fresh});
        }
        if (existing && (*existing != fresh || !identityOf(paths.staged(extension)))) {
            plan.removals.push_back(*existing);
        }
    }
    TableJournal(paths.journal()).swap(plan);
}

// A change a writer of the table left unfinished is finished first, under the header's
// write lock, so a copy never keeps a half-written post.
void finishSourceChange(const TablePaths& source) {
    if (!TableJournal(source.journal()).pending()) {
        return;
    }
    PosixFile writable(source.table(), PosixFile::Access::ReadWrite);
    TableLocks locks(writable);
    if (!locks.tryLockOpen(false) || !locks.tryLockHeader()) {
        writable.fail("the table is in use by someone else", EngineError::Reason::Locked);
    }
    recoverTable(source);
    locks.unlockHeader();
}

// A rename stopped after its .dbf moved leaves the old name's memo and index waiting to follow
// it; they belong to the new name's table, so its pending plan is finished before a new table
// of the old name could overwrite or remove them. A rename still running holds its table
// exclusively, and the create is refused.
void finishRenamesAway(const TablePaths& paths) {
    if (!paths.existingMemo() && !paths.existingIndex()) {
        return;
    }
    std::error_code ec;
    for (std::filesystem::directory_iterator it(paths.directory(), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->path().extension() != ".jnl" || !TableJournal(it->path()).pending()) {
            continue;
        }
        const TablePaths other(paths.directory(), it->path().stem().string());
        if (other.tableExists() && other.journal() == it->path()) {
            finishSourceChange(other);
        }
    }
}

} // namespace

bool tableExists(const std::filesystem::path& directory, const std::string& fileName) {
    return TablePaths(directory, fileName).tableExists();
}

void createTable(const std::filesystem::path& directory, const std::string& fileName,
                 const FieldList& fields) {
    const TablePaths paths(directory, fileName);
    if (paths.tableExists()) {
        throw EngineError(paths.table().string() + ": the table already exists");
    }
    const DbfHeader header = DbfHeader::forNewTable(fields, paths.table().string());
    finishRenamesAway(paths);
    if (header.needsMemoFile()) {
        MemoFile::create(paths.newMemo(), paths.lowerBaseName());
    }
    if (const auto staleIndex = paths.existingIndex()) {
        removeFile(*staleIndex);
    }
    removeFile(paths.journal());
    // Whole or not at all: a table cut short by a crash would exist and not open.
    DbfFile::create(paths.staged(".dbf"), header);
    renameFile(paths.staged(".dbf"), paths.table());
    syncDirectory(paths.directory());
}

void copyTable(const std::filesystem::path& sourceDirectory, const std::string& sourceName,
               const std::filesystem::path& targetDirectory, const std::string& targetName) {
    const TablePaths source(sourceDirectory, sourceName);
    if (!source.tableExists()) {
        throw EngineError(source.table().string() + ": the table does not exist",
                          EngineError::Reason::NotFound);
    }
    const TablePaths target(targetDirectory, targetName);
    if (std::filesystem::equivalent(source.directory(), target.directory()) &&
        source.lowerBaseName() == target.lowerBaseName()) {
        throw EngineError(source.table().string() + ": a table cannot be copied onto itself");
    }

    finishSourceChange(source);
    // Writers of the source wait on its header until the copy is complete.
    PosixFile sourceDbf(source.table(), PosixFile::Access::ReadOnly);
    TableLocks sourceLocks(sourceDbf);
    if (!sourceLocks.tryLockOpen(false)) {
        sourceDbf.fail("the table is opened exclusively by someone else",
                       EngineError::Reason::Locked);
    }
    sourceLocks.lockHeaderShared();
    if (TableJournal(source.journal()).pending()) {
        sourceDbf.fail("a writer of the table stopped mid-change; try again",
                       EngineError::Reason::Locked);
    }

    // The copy is built beside the target and swapped in, so the target is the old table or
    // the whole copy, wherever the copy stops.
    std::optional<ExclusiveHold> hold;
    if (target.tableExists()) {
        hold.emplace(target.table());
    }
    recoverTable(target);
    try {
        {
            PosixFile copy = PosixFile::create(target.staged(".dbf"));
            copyContents(sourceDbf, copy);
            copy.sync();
        }
        if (const auto memo = source.existingMemo()) {
            stageCopy(*memo, target.staged(".dbt"), kMemoNameOffset,
                      memoTableName(target.lowerBaseName()));
        }
        if (const auto index = source.existingIndex()) {
            stageCopy(*index, target.staged(".mdx"), kIndexNameOffset,
                      indexTableName(target.lowerBaseName()));
        }
        sourceLocks.unlockHeader();
        swapStaged(target);
    } catch (...) {
        discardStaged(target);
        throw;
    }
}

void renameTable(const std::filesystem::path& directory, const std::string& fileName,
                 const std::string& newFileName) {
    const TablePaths from(directory, fileName);
    if (!from.tableExists()) {
        throw EngineError(from.table().string() + ": the table does not exist",
                          EngineError::Reason::NotFound);
    }
    const TablePaths to(directory, newFileName);
    if (to.tableExists()) {
        throw EngineError(to.table().string() + ": a table of that name already exists");
    }
    ExclusiveHold hold(from.table());
    recoverTable(from);
    recoverTable(to);
    // The plan lives in the new name's journal: the .dbf moves first, so until it has moved
    // the old name opens the old table, and from then on the new name finishes the move.
    // Until then the old name's journal points at the new name's, so the old name's recovery
    // drops a plan (or an empty journal) left there; the move removes the pointer.
    const TableJournal pointer(from.journal());
    SwapPlan plan;
    plan.renames.push_back({from.table(), to.table()});
    if (const auto memo = from.existingMemo()) {
        plan.renames.push_back({*memo, to.newMemo()});
        plan.patches.push_back({to.newMemo(), kMemoNameOffset, memoTableName(to.lowerBaseName())});
    }
    if (const auto index = from.existingIndex()) {
        plan.renames.push_back({*index, to.newIndex()});
        plan.patches.push_back(
            {to.newIndex(), kIndexNameOffset, indexTableName(to.lowerBaseName())});
    }
    std::vector<std::optional<FileIdentity>> moving;
    for (const SwapPlan::Rename& r : plan.renames) {
        moving.push_back(identityOf(r.from));
    }
    const TableJournal journal(to.journal());
    try {
        pointer.pointTo(to.journal());
        plan.removals.push_back(from.journal());
        journal.swap(plan);
    } catch (const EngineError&) {
        // A move that cannot be finished (a file that may not be renamed) is taken back, so
        // the table stays whole under its old name and no plan is left to move it later.
        try {
            for (std::size_t i = plan.renames.size(); i-- > 0;) {
                if (moving[i] && identityOf(plan.renames[i].to) == moving[i]) {
                    renameFile(plan.renames[i].to, plan.renames[i].from);
                }
            }
            syncDirectory(directory);
            journal.discard();
            pointer.discard();
        } catch (const EngineError&) {
            // The plan stays and the next open of the new name finishes the move.
        }
        throw;
    }
    removeFile(from.indexCounts()); // counts of an index now under another name
}

void deleteTable(const std::filesystem::path& directory, const std::string& fileName) {
    const TablePaths paths(directory, fileName);
    if (!paths.tableExists()) {
        throw EngineError(paths.table().string() + ": the table does not exist",
                          EngineError::Reason::NotFound);
    }
    ExclusiveHold hold(paths.table());
    for (const auto& file : existingFiles(paths)) {
        removeFile(file);
    }
    removeFile(paths.journal());
    removeFile(paths.indexCounts());
    syncDirectory(paths.directory());
}

} // namespace shelfwise::engine
