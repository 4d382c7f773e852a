#include "engine/TableLocks.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <thread>

namespace shelfwise::engine {

namespace {

constexpr std::uint64_t kHeaderOffset = 0xEFFFFFFEu;
constexpr std::uint64_t kOpenOffset = 0xF0000000u;
constexpr std::uint64_t kWaitingOffset = 0xF0000001u;
// A writer holds the header for one post (a few fsyncs); anything far longer is a lock held
// by a program that is not coming back soon.
constexpr auto kHeaderWait = std::chrono::seconds(3);
// How long a writer stands aside for the writers that waited: a few posts.
constexpr auto kTurnWait = std::chrono::milliseconds(250);
// Longest pause between tries; a post takes a few milliseconds.
constexpr auto kLongestPause = std::chrono::milliseconds(2);

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

void TableLocks::waitForLock(std::uint64_t offset, std::uint64_t length, Kind kind) {
    if (tryLock(offset, length, kind)) {
        return;
    }
    // A waiting writer says so, for the writer that holds the header to give it its turn.
    const bool announced = kind == Kind::Write && tryLock(kWaitingOffset, 1, Kind::Read);
    const auto deadline = std::chrono::steady_clock::now() + kHeaderWait;
    auto pause = std::chrono::microseconds(50);
    bool taken = false;
    while (!(taken = tryLock(offset, length, kind)) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, kLongestPause);
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
    waitForLock(kHeaderOffset, forAppend ? 2 : 1, Kind::Write);
    writing_ = true;
}

bool TableLocks::tryLockHeader() {
    return tryLock(kHeaderOffset, 1, Kind::Write);
}

bool TableLocks::tryLockHeaderShared() {
    return tryLock(kHeaderOffset, 1, Kind::Read);
}

void TableLocks::lockHeaderShared() {
    waitForLock(kHeaderOffset, 1, Kind::Read);
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

void TableLocks::unlockRecord(std::uint32_t recordNumber) {
    tryLock(kHeaderOffset - recordNumber, 1, Kind::Unlock);
}

} // namespace shelfwise::engine
