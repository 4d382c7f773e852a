#include "engine/PosixFile.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace shelfwise::engine {

namespace {

std::atomic<std::uint64_t> faultCalls{0};
std::atomic<std::uint64_t> faultArmedAt{0}; // 0: no fault armed
std::atomic<FileFaults::Action> faultAction{FileFaults::Action::Fail};

int openOrThrow(const std::filesystem::path& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        throw EngineError(path.string() + ": cannot open: " + std::strerror(errno),
                          errno == ENOENT ? EngineError::Reason::NotFound
                                          : EngineError::Reason::Io);
    }
    return fd;
}

[[noreturn]] void failPath(const std::filesystem::path& path, const std::string& action,
                           int error) {
    throw EngineError(path.string() + ": " + action + ": " + std::strerror(error),
                      EngineError::Reason::Io);
}

} // namespace

void FileFaults::arm(std::uint64_t nth, Action action) {
    faultAction = action;
    faultCalls = 0;
    faultArmedAt = nth;
}

void FileFaults::disarm() {
    faultArmedAt = 0;
    faultCalls = 0;
}

std::uint64_t FileFaults::calls() {
    return faultCalls;
}

void FileFaults::before(const char* action, const std::filesystem::path& path) {
    const std::uint64_t call = ++faultCalls;
    if (call != faultArmedAt) {
        return;
    }
    if (faultAction == Action::Kill) {
        ::raise(SIGKILL);
    }
    if (faultAction == Action::Stop) {
        ::raise(SIGSTOP);
        return;
    }
    failPath(path, action, std::strcmp(action, "write failed") == 0 ? ENOSPC : EIO);
}

PosixFile::PosixFile(const std::filesystem::path& path, Access access)
    : fd_(openOrThrow(path, access == Access::ReadWrite ? O_RDWR : O_RDONLY)), access_(access),
      path_(path) {}

PosixFile PosixFile::openNoFollow(const std::filesystem::path& path) {
    PosixFile file;
    file.fd_ = openOrThrow(path, O_RDWR | O_NOFOLLOW);
    file.access_ = Access::ReadWrite;
    file.path_ = path;
    return file;
}

PosixFile PosixFile::create(const std::filesystem::path& path) {
    FileFaults::before("cannot create", path);
    PosixFile file;
    file.fd_ = openOrThrow(path, O_RDWR | O_CREAT | O_TRUNC);
    file.access_ = Access::ReadWrite;
    file.path_ = path;
    return file;
}

PosixFile::~PosixFile() {
    close();
}

PosixFile::PosixFile(PosixFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), access_(other.access_), path_(std::move(other.path_)),
      buffered_(std::move(other.buffered_)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        access_ = other.access_;
        path_ = std::move(other.path_);
        buffered_ = std::move(other.buffered_);
    }
    return *this;
}

void PosixFile::close() {
    buffered_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void PosixFile::readAt(void* buffer, std::size_t size, std::uint64_t offset,
                       const char* what) const {
    if (readSomeAt(buffer, size, offset) != size) {
        fail(std::string("file ends inside ") + what, EngineError::Reason::Damaged);
    }
}

std::size_t PosixFile::readSomeAt(void* buffer, std::size_t size, std::uint64_t offset) const {
    return buffered_ ? readBuffered(buffer, size, offset) : readDisk(buffer, size, offset);
}

std::size_t PosixFile::readDisk(void* buffer, std::size_t size, std::uint64_t offset) const {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWithErrno("read failed");
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

namespace {

// True when the pages (written or kept clean) hold every byte of the range, so the disk need
// not be read.
bool coveredByPages(const BufferedWrites& b, std::uint64_t offset, std::size_t size) {
    constexpr std::uint64_t page = BufferedWrites::kPageSize;
    if (size == 0) {
        return true;
    }
    const std::uint64_t last = (offset + size - 1) / page;
    for (std::uint64_t p = offset / page; p <= last; ++p) {
        if (!b.pages.contains(p) && !b.clean.contains(p)) {
            return false;
        }
    }
    return true;
}

// Copies the part of each page that lies in [offset, offset + size) to `out`.
void copyPages(const BufferedWrites::Pages& pages, char* out, std::uint64_t offset,
               std::size_t size) {
    constexpr std::uint64_t page = BufferedWrites::kPageSize;
    const std::uint64_t end = offset + size;
    for (auto it = pages.lower_bound(offset / page); it != pages.end() && it->first * page < end;
         ++it) {
        const std::uint64_t pageStart = it->first * page;
        const std::uint64_t from = std::max(pageStart, offset);
        const std::uint64_t to = std::min(pageStart + it->second.size(), end);
        if (from < to) {
            std::copy(it->second.data() + (from - pageStart), it->second.data() + (to - pageStart),
                      out + (from - offset));
        }
    }
}

} // namespace

// The disk's bytes below its size (or the clean pages kept of them), zeros from there, then
// the buffered pages over them.
std::size_t PosixFile::readBuffered(void* buffer, std::size_t size, std::uint64_t offset) const {
    const BufferedWrites& b = *buffered_;
    if (offset >= b.size) {
        return 0;
    }
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, b.size - offset));
    auto* out = static_cast<char*>(buffer);
    std::size_t fromDisk = 0;
    const bool covered = coveredByPages(b, offset, n);
    if (offset < b.diskSize && !covered) {
        fromDisk = readDisk(
            out, static_cast<std::size_t>(std::min<std::uint64_t>(n, b.diskSize - offset)), offset);
    }
    std::fill(out + fromDisk, out + n, '\0');
    if (covered) {
        copyPages(b.clean, out, offset, n);
    }
    copyPages(b.pages, out, offset, n);
    return n;
}

void PosixFile::readForUpdate(void* buffer, std::size_t size, std::uint64_t offset,
                              const char* what) {
    if (buffered_ && size > 0 && offset < buffered_->diskSize &&
        !coveredByPages(*buffered_, offset, size)) {
        BufferedWrites& b = *buffered_;
        constexpr std::uint64_t page = BufferedWrites::kPageSize;
        const std::uint64_t first = offset / page;
        const std::uint64_t last = (std::min(offset + size, b.diskSize) - 1) / page;
        std::string disk(static_cast<std::size_t>((last - first + 1) * page), '\0');
        const std::size_t got = readDisk(disk.data(), disk.size(), first * page);
        for (std::uint64_t p = first; (p - first) * page < got; ++p) {
            if (!b.pages.contains(p)) {
                const auto from = static_cast<std::size_t>((p - first) * page);
                b.clean.insert_or_assign(
                    p, std::pmr::string(disk.data() + from, std::min<std::size_t>(page, got - from),
                                        &b.arena));
            }
        }
    }
    readAt(buffer, size, offset, what);
}

void PosixFile::writeAt(const void* buffer, std::size_t size, std::uint64_t offset) {
    if (buffered_) {
        writeBuffered(buffer, size, offset);
    } else {
        writeDisk(buffer, size, offset);
    }
}

void PosixFile::writeDisk(const void* buffer, std::size_t size, std::uint64_t offset) {
    FileFaults::before("write failed", path_);
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, in + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWithErrno("write failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

void PosixFile::writeBuffered(const void* buffer, std::size_t size, std::uint64_t offset) {
    BufferedWrites& b = *buffered_;
    constexpr std::uint64_t page = BufferedWrites::kPageSize;
    const auto* in = static_cast<const char*>(buffer);
    const std::uint64_t end = offset + size;
    for (std::uint64_t p = offset / page; p * page < end; ++p) {
        auto [it, added] = b.pages.try_emplace(p);
        std::pmr::string& image = it->second;
        if (added) {
            image.assign(page, '\0');
            if (auto kept = b.clean.find(p); kept != b.clean.end()) {
                std::copy(kept->second.begin(), kept->second.end(), image.begin());
                b.before.emplace(p, std::move(kept->second));
                b.clean.erase(kept);
            } else if (p * page < b.diskSize) {
                const std::size_t read = readDisk(image.data(), page, p * page);
                b.before.emplace(p, std::pmr::string(image.data(), read, &b.arena));
            }
        }
        const std::uint64_t from = std::max(p * page, offset);
        const std::uint64_t to = std::min((p + 1) * page, end);
        std::copy(in + (from - offset), in + (to - offset), image.data() + (from - p * page));
    }
    b.size = std::max(b.size, end);
}

std::uint64_t PosixFile::size() const {
    if (buffered_) {
        return buffered_->size;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        failWithErrno("cannot read the file size");
    }
    return static_cast<std::uint64_t>(st.st_size);
}

void PosixFile::truncate(std::uint64_t size) {
    if (buffered_) {
        fail("cannot change the file size during a post", EngineError::Reason::Usage);
    }
    FileFaults::before("cannot change the file size", path_);
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        failWithErrno("cannot change the file size");
    }
}

void PosixFile::sync() {
    if (buffered_) {
        return;
    }
    FileFaults::before("flush failed", path_);
    if (::fdatasync(fd_) != 0) {
        failWithErrno("flush failed");
    }
}

void PosixFile::beginBuffering() {
    const std::uint64_t diskSize = size();
    buffered_ = std::make_unique<BufferedWrites>();
    buffered_->diskSize = diskSize;
    buffered_->size = diskSize;
}

void PosixFile::fail(const std::string& message, EngineError::Reason reason) const {
    throw EngineError(path_.string() + ": " + message, reason);
}

void PosixFile::failWithErrno(const std::string& action) const {
    failPath(path_, action, errno);
}

void copyContents(const PosixFile& from, PosixFile& to) {
    std::string chunk(1u << 20, '\0');
    std::uint64_t offset = 0;
    while (std::size_t got = from.readSomeAt(chunk.data(), chunk.size(), offset)) {
        to.writeAt(chunk.data(), got, offset);
        offset += got;
    }
}

void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    FileFaults::before("cannot rename", from);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        failPath(from, "cannot rename to " + to.string(), errno);
    }
}

void removeFile(const std::filesystem::path& path) {
    FileFaults::before("cannot delete", path);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        failPath(path, "cannot delete", errno);
    }
}

void syncDirectory(const std::filesystem::path& directory) {
    const std::filesystem::path dir = directory.empty() ? "." : directory;
    FileFaults::before("flush failed", dir);
    const int fd = openOrThrow(dir, O_RDONLY | O_DIRECTORY);
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0) {
        failPath(dir, "flush failed", error);
    }
}

std::optional<FileIdentity> identityOf(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

FileIdentity identityOf(const PosixFile& file) {
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0) {
        file.fail(std::string("cannot read the file status: ") + std::strerror(errno),
                  EngineError::Reason::Io);
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace shelfwise::engine
