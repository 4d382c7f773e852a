#pragma once

// Internal: not part of the engine's public interface.

#include "engine/PosixFile.h"

#include <chrono>
#include <cstdint>

namespace shelfwise::engine {

// The byte-range locks of one open table, as Linux open-file-description locks on its .dbf.
// They conflict between any two opens, in this process or another, and stay put when some
// other descriptor of the file is closed.
//
// Offsets follow the xBase scheme other programs use, so they see our locks and we see theirs:
//   0xEFFFFFFE        header: held (write) by a writer while it appends, posts or updates
//                     keys; readers of a shared table hold it (read) while they navigate
//   0xEFFFFFFF        append: held together with the header while a record is appended;
//                     also the gate: the writer next in line holds it (write) while it waits
//                     for the header, and readers hold it (read) with the header, so a
//                     waiting writer keeps new readers and writers out
//   0xEFFFFFFE - n    record n (1-based): held (write) from edit to post or cancel
//   0xEFFFFFFE, 2     table: header and append bytes, held (write) for an exclusive open
// Two bytes of our own:
//   0xF0000000        open: every shared open holds it as a read lock, an exclusive open as a
//                     write lock, so an exclusive open fails while any other open exists and
//                     a shared open fails while an exclusive one exists
//   0xF0000001        waiting: a writer holds it (read) while it waits for the header
//
// Turns: the kernel's locks have no queue, so without help the writer that just released the
// header wins nearly every race, and a stream of readers keeps a writer out. A writer waits
// for the gate, then for the header, and new readers wait behind it; a writer that releases
// the header while others wait stands aside before it takes the header again, until one of
// them has it (or none waits any more, or a short while has passed); and a waiter that has
// waited long tries far more often than the newcomers, so the oldest nearly always goes next.
class TableLocks {
public:
    explicit TableLocks(const PosixFile& file) : file_(&file) {}

    // Taken at open; false when another open conflicts. Released when the file is closed.
    bool tryLockOpen(bool exclusive);

    // Waits a bounded time for the header (and, for appends, the append byte); throws
    // EngineError naming the file when another program keeps it.
    void lockHeader(bool forAppend);
    void lockHeaderShared();
    // Takes the header for writing only when nobody holds it.
    bool tryLockHeader();
    // Takes the header for reading only when no writer holds it.
    bool tryLockHeaderShared();
    // Releases the header, read or write.
    void unlockHeader();

    bool tryLockRecord(std::uint32_t recordNumber);
    // Takes the locks of records first to last with one call, all or none.
    bool tryLockRecords(std::uint32_t first, std::uint32_t last);
    void unlockRecord(std::uint32_t recordNumber);
    // Releases the locks of records first to last with one call.
    void unlockRecords(std::uint32_t first, std::uint32_t last);

private:
    enum class Kind { Read, Write, Unlock };
    bool tryLock(std::uint64_t offset, std::uint64_t length, Kind kind);
    bool tryUntil(std::uint64_t offset, std::uint64_t length, Kind kind,
                  std::chrono::steady_clock::time_point began,
                  std::chrono::steady_clock::time_point deadline);
    void waitForLock(std::uint64_t offset, std::uint64_t length, Kind kind);
    void waitForHeader(bool forAppend);
    short heldByOthers(std::uint64_t offset) const;
    bool othersWaiting() const;
    void standAside();

    const PosixFile* file_;
    bool writing_ = false;  // holds the header for writing
    bool owesTurn_ = false; // released it for writing while others waited
};

} // namespace shelfwise::engine
