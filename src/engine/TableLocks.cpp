#include "engine/TableLocks.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <thread>

namespace shelfwise::engine {

namespace {

constexpr std::uint64_t kHeaderOffset = 0xEFFFFFFEu;
// The append byte doubles as the gate: the writer next in line holds it (write) while it
// waits for the header, and readers take it (read) together with the header, so no new
// reader or writer slips in before that writer.
constexpr std::uint64_t kGateOffset = 0xEFFFFFFFu;
constexpr std::uint64_t kOpenOffset = 0xF0000000u;
constexpr std::uint64_t kWaitingOffset = 0xF0000001u;
// A writer holds the header for one post (a few fsyncs); anything far longer is a lock held
// by a program that is not coming back soon.
constexpr auto kHeaderWait = std::chrono::seconds(3);
// How long a writer stands aside for the writers that waited: a few posts.
constexpr auto kTurnWait = std::chrono::milliseconds(250);
// Longest pause between tries; a post takes a few milliseconds.
constexpr auto kLongestPause = std::chrono::milliseconds(2);
// Waiters that have waited this long try far more often, so the oldest one nearly always
// takes the gate when it comes free.
constexpr auto kLongWait = std::chrono::milliseconds(100);
constexpr auto kEagerPause = std::chrono::microseconds(100);

} // namespace

bool TableLocks::tryLock(std::uint64_t offset, std::uint64_t length, Kind kind) {
    struct flock lock {};
    lock.l_type = kind == Kind::Read ? F_RDLCK : kind == Kind::Write ? F_WRLCK : F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    while (::fcntl(file_->fd(), F_OFD_SETLK, &lock) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EACCES) {
            return false;
        }
        file_->fail(std::string("lock failed: ") + std::strerror(errno), EngineError::Reason::Io);
    }
    return true;
}

// Tries until the deadline; the pause grows to kLongestPause, and shrinks again to
// kEagerPause once the wait began long ago.
bool TableLocks::tryUntil(std::uint64_t offset, std::uint64_t length, Kind kind,
                          std::chrono::steady_clock::time_point began,
                          std::chrono::steady_clock::time_point deadline) {
    auto pause = std::chrono::microseconds(50);
    for (;;) {
        if (tryLock(offset, length, kind)) {
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(now - began >= kLongWait ? kEagerPause : pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, kLongestPause);
    }
}

void TableLocks::waitForLock(std::uint64_t offset, std::uint64_t length, Kind kind) {
    if (tryLock(offset, length, kind)) {
        return;
    }
    const auto began = std::chrono::steady_clock::now();
    const auto deadline = began + kHeaderWait;
    if (!tryUntil(offset, length, kind, began, deadline)) {
        file_->fail("the table is locked by another user", EngineError::Reason::Locked);
    }
}

// A writer takes the gate first, then the header: once it has the gate, the readers and the
// writer before it finish and nobody new starts.
void TableLocks::waitForHeader(bool forAppend) {
    if (tryLock(kHeaderOffset, 2, Kind::Write)) {
        if (!forAppend) {
            tryLock(kGateOffset, 1, Kind::Unlock);
        }
        return;
    }
    // A waiting writer says so, for the writer that holds the header to give it its turn.
    const bool announced = tryLock(kWaitingOffset, 1, Kind::Read);
    const auto began = std::chrono::steady_clock::now();
    const auto deadline = began + kHeaderWait;
    bool taken = tryUntil(kGateOffset, 1, Kind::Write, began, deadline);
    if (taken) {
        taken = tryUntil(kHeaderOffset, 1, Kind::Write, began, deadline);
        if (!taken || !forAppend) {
            tryLock(kGateOffset, 1, Kind::Unlock);
        }
    }
    if (announced) {
        tryLock(kWaitingOffset, 1, Kind::Unlock);
    }
    if (!taken) {
        file_->fail("the table is locked by another user", EngineError::Reason::Locked);
    }
}

// The strongest lock another open holds on the byte: F_UNLCK, F_RDLCK or F_WRLCK.
short TableLocks::heldByOthers(std::uint64_t offset) const {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = static_cast<off_t>(offset);
    probe.l_len = 1;
    if (::fcntl(file_->fd(), F_OFD_GETLK, &probe) != 0) {
        return F_UNLCK; // no turns then, only the plain race
    }
    return probe.l_type;
}

bool TableLocks::othersWaiting() const {
    return heldByOthers(kWaitingOffset) != F_UNLCK;
}

// Waits until another writer has taken the header, or none waits any more.
void TableLocks::standAside() {
    owesTurn_ = false;
    const auto until = std::chrono::steady_clock::now() + kTurnWait;
    auto pause = std::chrono::microseconds(50);
    while (othersWaiting() && heldByOthers(kHeaderOffset) != F_WRLCK &&
           std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, kLongestPause);
    }
}

bool TableLocks::tryLockOpen(bool exclusive) {
    if (!exclusive) {
        return tryLock(kOpenOffset, 1, Kind::Read);
    }
    if (!tryLock(kOpenOffset, 1, Kind::Write)) {
        return false;
    }
    // Other xBase programs know only the table lock; take it too so they keep off.
    if (!tryLock(kHeaderOffset, 2, Kind::Write)) {
        tryLock(kOpenOffset, 1, Kind::Unlock);
        return false;
    }
    return true;
}

void TableLocks::lockHeader(bool forAppend) {
    if (owesTurn_) {
        standAside();
    }
    waitForHeader(forAppend);
    writing_ = true;
}

bool TableLocks::tryLockHeader() {
    if (!tryLock(kHeaderOffset, 2, Kind::Write)) {
        return false;
    }
    tryLock(kGateOffset, 1, Kind::Unlock);
    return true;
}

bool TableLocks::tryLockHeaderShared() {
    return tryLock(kHeaderOffset, 2, Kind::Read);
}

void TableLocks::lockHeaderShared() {
    waitForLock(kHeaderOffset, 2, Kind::Read);
}

void TableLocks::unlockHeader() {
    tryLock(kHeaderOffset, 2, Kind::Unlock);
    if (writing_) {
        writing_ = false;
        owesTurn_ = othersWaiting();
    }
}

bool TableLocks::tryLockRecord(std::uint32_t recordNumber) {
    return tryLock(kHeaderOffset - recordNumber, 1, Kind::Write);
}

bool TableLocks::tryLockRecords(std::uint32_t first, std::uint32_t last) {
    return tryLock(kHeaderOffset - last, std::uint64_t(last - first) + 1, Kind::Write);
}

void TableLocks::unlockRecord(std::uint32_t recordNumber) {
    tryLock(kHeaderOffset - recordNumber, 1, Kind::Unlock);
}

void TableLocks::unlockRecords(std::uint32_t first, std::uint32_t last) {
    if (first <= last) {
        tryLock(kHeaderOffset - last, std::uint64_t(last - first) + 1, Kind::Unlock);
    }
}

} // namespace shelfwise::engine
