#pragma once

// Internal: not part of the engine's public interface.

#include "engine/EngineError.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace shelfwise::engine {

// One open file descriptor with positioned, all-or-nothing reads and writes. Every failure
// throws EngineError naming the file. Each object is its own open file description, so the
// OFD locks taken on it conflict with those of every other object, even in this process.
class PosixFile {
public:
    enum class Access { ReadOnly, ReadWrite };

    PosixFile() = default;
    PosixFile(const std::filesystem::path& path, Access access);
    // Creates the file, truncating an existing one.
    static PosixFile create(const std::filesystem::path& path);
    ~PosixFile();
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }
    bool writable() const { return access_ == Access::ReadWrite; }

    // Reads exactly `size` bytes at `offset`; a short read means the file is too short and
    // is reported as damage, naming `what`.
    void readAt(void* buffer, std::size_t size, std::uint64_t offset, const char* what) const;
    // Reads up to `size` bytes and returns how many were there.
    std::size_t readSomeAt(void* buffer, std::size_t size, std::uint64_t offset) const;
    void writeAt(const void* buffer, std::size_t size, std::uint64_t offset);
    std::uint64_t size() const;
    void truncate(std::uint64_t size);
    void sync();
    void close();

    // An EngineError for this file: "<path>: <message>".
    [[noreturn]] void fail(const std::string& message, EngineError::Reason reason) const;

private:
    [[noreturn]] void failWithErrno(const std::string& action) const;

    int fd_ = -1;
    Access access_ = Access::ReadOnly;
    std::filesystem::path path_;
};

} // namespace shelfwise::engine
