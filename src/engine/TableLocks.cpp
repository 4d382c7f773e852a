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
// A writer holds the header for one post (a few fsyncs); anything far longer is a lock held
// by a program that is not coming back soon.
constexpr auto kHeaderWait = std::chrono::seconds(3);

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
    const auto deadline = std::chrono::steady_clock::now() + kHeaderWait;
    auto pause = std::chrono::microseconds(50);
    while (!tryLock(offset, length, kind)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            file_->fail("the table is locked by another user", EngineError::Reason::Locked);
        }
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(20));
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
    waitForLock(kHeaderOffset, forAppend ? 2 : 1, Kind::Write);
}

bool TableLocks::tryLockHeader() {
    return tryLock(kHeaderOffset, 1, Kind::Write);
}

void TableLocks::lockHeaderShared() {
    waitForLock(kHeaderOffset, 1, Kind::Read);
}

void TableLocks::unlockHeader() {
    tryLock(kHeaderOffset, 2, Kind::Unlock);
}

bool TableLocks::tryLockRecord(std::uint32_t recordNumber) {
    return tryLock(kHeaderOffset - recordNumber, 1, Kind::Write);
}

void TableLocks::unlockRecord(std::uint32_t recordNumber) {
    tryLock(kHeaderOffset - recordNumber, 1, Kind::Unlock);
}

} // namespace shelfwise::engine
