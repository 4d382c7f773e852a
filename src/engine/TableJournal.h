#pragma once

// Internal: not part of the engine's public interface.

#include "engine/PosixFile.h"
#include "engine/TablePaths.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace shelfwise::engine {

// What a whole-table operation puts in place of a table's files: staged files renamed over
// the table's, files removed, and bytes written into the files afterwards. Every file is in
// the journal's directory.
struct SwapPlan {
    struct Rename {
        std::filesystem::path from;
        std::filesystem::path to;
    };
    struct Patch {
        std::filesystem::path file;
        std::uint64_t offset = 0;
        std::string bytes;
    };
    std::vector<Rename> renames;
    std::vector<std::filesystem::path> removals;
    std::vector<Patch> patches;
};

// A byte in one of the files a commit changes, set while the commit overwrites pages.
struct BusyMark {
    PosixFile* file = nullptr;
    std::uint64_t offset = 0;
    char value = 1;
};

// The journal beside a table (<base>.jnl) that makes each change of the table's files
// all-or-nothing. Missing or cleared, nothing is pending. Otherwise it holds the last change,
// which the next open or writer finishes before anything else: the before-images of a post
// (written back: the post never happened) or the plan of a swap (carried out: the operation
// happened). Callers hold the table's write lock (an exclusive open, or the header lock).
// A cleared journal keeps its file, with the mark in its first bytes overwritten.
class TableJournal {
public:
    explicit TableJournal(std::filesystem::path path) : path_(std::move(path)) {}
    const std::filesystem::path& path() const { return path_; }

    // True when the journal holds a change to finish.
    bool pending() const;
    // Finishes what an interrupted change left. True when files were swapped, so an open of
    // the table must open its files again.
    bool recover() const;

    // Writes the buffered writes of the files (which stop buffering) so that all of them
    // reach the disk or none: before-images to the journal, flushed; the writes, flushed;
    // the journal cleared. On failure the files are as before and the error is thrown.
    // With a busy mark, its byte is set before the first page is overwritten and its page is
    // written last, so it stays set only when the writer stopped half way: readers that find
    // it set (while no writer holds the table) know to finish the journal before they read.
    void commit(const std::vector<PosixFile*>& files,
                const std::optional<BusyMark>& busy = std::nullopt) const;

    // Carries out the plan so that a crash at any point leaves the old files or the new ones:
    // the plan is flushed to the journal before the first rename.
    void swap(const SwapPlan& plan) const;
    // Makes the journal point at another table's journal (a rename's new name's), which its
    // recovery then drops, with what it holds, unless a table of that name exists by then.
    void pointTo(const std::filesystem::path& other) const;
    // Drops what the journal holds, for a change its caller has taken back.
    void discard() const;

private:
    // Writes `body` of that kind as the journal's only content and flushes it, and the
    // directory when the journal is new or when asked.
    void write(char kind, const std::string& body, bool syncDirectoryAlways) const;
    void clear(bool flush) const;

    std::filesystem::path path_;
};

// Finishes the change the table's journal holds and removes staged files no swap needs any
// more; the caller holds the table's write lock. True when files were swapped.
bool recoverTable(const TablePaths& paths);
// True when recoverTable() has anything to do.
bool needsRecovery(const TablePaths& paths);
// After a whole-table operation failed: its staged files go, unless its swap is pending in
// the journal (recovery needs them then).
void discardStaged(const TablePaths& paths);

} // namespace shelfwise::engine
