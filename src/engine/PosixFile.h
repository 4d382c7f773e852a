#pragma once

// Internal: not part of the engine's public interface.

#include "engine/EngineError.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <memory_resource>
#include <optional>
#include <string>

namespace shelfwise::engine {

// Test seam of the file layer. Every call that changes a file (a write, flush, truncation,
// creation, rename or removal, and a directory flush) is counted; a test can make the Nth one
// fail as a full or failing disk would, kill the process just before it, or stop the process
// there (SIGSTOP) so another process can look at the files mid-operation.
class FileFaults {
public:
    enum class Action { Fail, Kill, Stop };

    static void arm(std::uint64_t nth, Action action);
    static void disarm();
    // File-changing calls since the last arm() or disarm().
    static std::uint64_t calls();
    // Called before each file-changing call; fails (throwing EngineError naming `path`),
    // kills or stops the process when it is the armed one.
    static void before(const char* action, const std::filesystem::path& path);
};

// Writes a PosixFile holds back while it buffers: whole pages, each as the file will read
// once the writes are made. Reads see them; the disk keeps the old contents until the owner
// writes them out.
struct BufferedWrites {
    static constexpr std::uint64_t kPageSize = 512;
    using Pages = std::pmr::map<std::uint64_t, std::pmr::string>;

    // The pages live as long as the writes they hold: taken from one arena and given back at
    // once, not one allocation and one free each (a batch holds thousands).
    std::pmr::monotonic_buffer_resource arena;
    std::uint64_t diskSize = 0; // the file's size when buffering began
    std::uint64_t size = 0;     // the size the writes leave
    Pages pages{&arena};        // page number -> its kPageSize bytes
    // Page number -> the disk's bytes below diskSize as the first write found them, so the
    // journal need not read them again.
    Pages before{&arena};
    // Page number -> the disk's bytes of a page read for an update and not written yet: the
    // write that follows takes them instead of reading the page again.
    Pages clean{&arena};
};

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
    // Opens a file for writing that must not be a symbolic link (a name read from a file).
    static PosixFile openNoFollow(const std::filesystem::path& path);
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
    // As readAt(), for bytes about to be changed: while the file buffers, the pages read are
    // kept, so writing them later reads nothing more from the disk.
    void readForUpdate(void* buffer, std::size_t size, std::uint64_t offset, const char* what);
    // Reads up to `size` bytes and returns how many were there.
    std::size_t readSomeAt(void* buffer, std::size_t size, std::uint64_t offset) const;
    void writeAt(const void* buffer, std::size_t size, std::uint64_t offset);
    std::uint64_t size() const;
    void truncate(std::uint64_t size);
    void sync();
    void close();

    // Until endBuffering(), writes stay in memory (reads and size() see them) and sync() does
    // nothing; a truncation is refused. endBuffering() hands the writes over and writes go to
    // the file again.
    void beginBuffering();
    bool buffering() const { return buffered_ != nullptr; }
    std::unique_ptr<BufferedWrites> endBuffering() { return std::move(buffered_); }

    // After the file was renamed: the name it has now.
    void renamed(std::filesystem::path path) { path_ = std::move(path); }

    // An EngineError for this file: "<path>: <message>".
    [[noreturn]] void fail(const std::string& message, EngineError::Reason reason) const;

private:
    [[noreturn]] void failWithErrno(const std::string& action) const;
    std::size_t readDisk(void* buffer, std::size_t size, std::uint64_t offset) const;
    std::size_t readBuffered(void* buffer, std::size_t size, std::uint64_t offset) const;
    void writeDisk(const void* buffer, std::size_t size, std::uint64_t offset);
    void writeBuffered(const void* buffer, std::size_t size, std::uint64_t offset);

    int fd_ = -1;
    Access access_ = Access::ReadOnly;
    std::filesystem::path path_;
    std::unique_ptr<BufferedWrites> buffered_;
};

// Copies the whole contents of one file into another, from offset 0.
void copyContents(const PosixFile& from, PosixFile& to);

// Directory-level calls of the file layer, each counted by FileFaults and throwing
// EngineError naming the file.
void renameFile(const std::filesystem::path& from, const std::filesystem::path& to);
// Removes the file when it exists.
void removeFile(const std::filesystem::path& path);
// Flushes the directory, so a created, renamed or removed name survives a power loss.
void syncDirectory(const std::filesystem::path& directory);

// Which file a path names (device and inode); nullopt when there is none.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> identityOf(const std::filesystem::path& path);
FileIdentity identityOf(const PosixFile& file);

} // namespace shelfwise::engine
