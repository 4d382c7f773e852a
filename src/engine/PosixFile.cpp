#include "engine/PosixFile.h"

#include "engine/EngineError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace shelfwise::engine {

namespace {

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

} // namespace

PosixFile::PosixFile(const std::filesystem::path& path, Access access)
    : fd_(openOrThrow(path, access == Access::ReadWrite ? O_RDWR : O_RDONLY)), access_(access),
      path_(path) {}

PosixFile PosixFile::create(const std::filesystem::path& path) {
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
    : fd_(std::exchange(other.fd_, -1)), access_(other.access_), path_(std::move(other.path_)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        access_ = other.access_;
        path_ = std::move(other.path_);
    }
    return *this;
}

void PosixFile::close() {
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

void PosixFile::writeAt(const void* buffer, std::size_t size, std::uint64_t offset) {
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

std::uint64_t PosixFile::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        failWithErrno("cannot read the file size");
    }
    return static_cast<std::uint64_t>(st.st_size);
}

void PosixFile::truncate(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        failWithErrno("cannot change the file size");
    }
}

void PosixFile::sync() {
    if (::fdatasync(fd_) != 0) {
        failWithErrno("flush failed");
    }
}

void PosixFile::fail(const std::string& message, EngineError::Reason reason) const {
    throw EngineError(path_.string() + ": " + message, reason);
}

void PosixFile::failWithErrno(const std::string& action) const {
    fail(action + ": " + std::strerror(errno), EngineError::Reason::Io);
}

} // namespace shelfwise::engine
