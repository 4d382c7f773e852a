#include "engine/TableOperations.h"

#include "engine/DbfFile.h"
#include "engine/EngineError.h"
#include "engine/MemoFile.h"
#include "engine/TableLocks.h"
#include "engine/TablePaths.h"

#include <algorithm>
#include <array>
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

void copyBytes(const PosixFile& from, PosixFile& to) {
    std::string chunk(1u << 20, '\0');
    std::uint64_t offset = 0;
    while (std::size_t got = from.readSomeAt(chunk.data(), chunk.size(), offset)) {
        to.writeAt(chunk.data(), got, offset);
        offset += got;
    }
}

// The memo header names its table (bytes 8-15); a copy or rename names the new one.
void nameMemoTable(const std::filesystem::path& memo, const std::string& baseName) {
    PosixFile file(memo, PosixFile::Access::ReadWrite);
    std::array<char, 8> name{};
    std::copy_n(baseName.begin(), std::min<std::size_t>(baseName.size(), name.size()),
                name.begin());
    file.writeAt(name.data(), name.size(), 8);
}

// The index header names its table too, at bytes 4-19 (NUL-padded, at most 15 characters);
// MdxFile offers no call to change it, so the bytes are written here.
void nameIndexTable(const std::filesystem::path& index, const std::string& baseName) {
    PosixFile file(index, PosixFile::Access::ReadWrite);
    std::array<char, 16> name{};
    std::copy_n(baseName.begin(), std::min<std::size_t>(baseName.size(), name.size() - 1),
                name.begin());
    file.writeAt(name.data(), name.size(), 4);
}

void removeFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::remove(path, ec) && ec) {
        throw EngineError(path.string() + ": cannot delete: " + ec.message(),
                          EngineError::Reason::Io);
    }
}

void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (ec) {
        throw EngineError(from.string() + ": cannot rename to " + to.string() + ": " + ec.message(),
                          EngineError::Reason::Io);
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
    if (header.needsMemoFile()) {
        MemoFile::create(paths.newMemo(), paths.lowerBaseName());
    }
    if (const auto staleIndex = paths.existingIndex()) {
        removeFile(*staleIndex);
    }
    DbfFile::create(paths.table(), header);
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

    // Writers of the source wait on its header until the copy is complete.
    PosixFile sourceDbf(source.table(), PosixFile::Access::ReadOnly);
    TableLocks sourceLocks(sourceDbf);
    if (!sourceLocks.tryLockOpen(false)) {
        sourceDbf.fail("the table is opened exclusively by someone else",
                       EngineError::Reason::Locked);
    }
    sourceLocks.lockHeaderShared();

    // The target's .dbf is rewritten in place, under its exclusive hold, so nobody can open
    // the half-copied table.
    if (!target.tableExists()) {
        PosixFile::create(target.table());
    }
    ExclusiveHold hold(target.table());
    hold.file().truncate(0);
    for (const auto& companion : {target.existingMemo(), target.existingIndex()}) {
        if (companion) {
            removeFile(*companion);
        }
    }
    if (const auto memo = source.existingMemo()) {
        PosixFile to = PosixFile::create(target.newMemo());
        copyBytes(PosixFile(*memo, PosixFile::Access::ReadOnly), to);
        to.close();
        nameMemoTable(target.newMemo(), target.lowerBaseName());
        PosixFile(target.newMemo(), PosixFile::Access::ReadWrite).sync();
    }
    if (const auto index = source.existingIndex()) {
        PosixFile to = PosixFile::create(target.newIndex());
        copyBytes(PosixFile(*index, PosixFile::Access::ReadOnly), to);
        to.close();
        nameIndexTable(target.newIndex(), target.lowerBaseName());
        PosixFile(target.newIndex(), PosixFile::Access::ReadWrite).sync();
    }
    copyBytes(sourceDbf, hold.file());
    hold.file().sync();
    sourceLocks.unlockHeader();
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
    const auto memo = from.existingMemo();
    const auto index = from.existingIndex();
    if (memo) {
        renameFile(*memo, to.newMemo());
        nameMemoTable(to.newMemo(), to.lowerBaseName());
    }
    if (index) {
        renameFile(*index, to.newIndex());
        nameIndexTable(to.newIndex(), to.lowerBaseName());
    }
    renameFile(from.table(), to.table());
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
}

} // namespace shelfwise::engine
