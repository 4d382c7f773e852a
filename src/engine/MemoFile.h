#pragma once

// Internal: not part of the engine's public interface.

#include "engine/PosixFile.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::engine {

// The .dbt file that holds the values of memo and binary fields, addressed by block number.
// dBASE IV files (each value a block header with its length) are read and written; dBASE III
// files (values ended by 0x1A 0x1A) are read and appended to.
class MemoFile {
public:
    static constexpr std::uint32_t kBlockSize = 512;

    // A new, empty memo file for the table with the given base name.
    static void create(const std::filesystem::path& path, const std::string& tableBaseName,
                       bool dbaseThree = false);

    MemoFile() = default;
    MemoFile(const std::filesystem::path& path, PosixFile::Access access, bool dbaseThree);

    bool isOpen() const { return file_.isOpen(); }
    bool dbaseThree() const { return dbaseThree_; }
    const std::filesystem::path& path() const { return file_.path(); }
    PosixFile& file() { return file_; }

    // The value stored at `block`; throws EngineError naming the file when the block lies
    // outside the file, has a bad header or claims more bytes than the file holds.
    std::string read(std::uint32_t block) const;
    // The length of the value at `block` from its header alone, checked as read() checks it.
    // A dBASE III value has no header and is read to its end mark.
    std::uint64_t size(std::uint32_t block) const;
    // Where the value at `block` lies in the file, checked as read() checks it.
    struct Extent {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };
    Extent extent(std::uint32_t block) const;
    // `into.size()` bytes of a value from `at` on; throws (Usage) for bytes past its end, and as
    // read() does when the file no longer holds them.
    void readPart(const Extent& value, std::uint64_t at, std::span<char> into) const;
    // Stores `data` and returns its block (0 for an empty value), freeing the blocks of
    // `oldBlock`, the value it replaces (0 for none). A value that fits in the old blocks is
    // written over them, and blocks it no longer needs are freed; otherwise it goes to free
    // blocks or to the end of the file. Callers serialise writers (the table's header lock)
    // and make a post's writes all-or-nothing (the table's journal). dBASE III files only
    // grow.
    std::uint32_t write(std::uint32_t oldBlock, std::string_view data);
    void sync() { file_.sync(); }

private:
    // A run of free blocks on the dBASE IV free-block chain, and where the pointer to it is.
    struct FreeRun {
        std::uint32_t block = 0;
        std::uint32_t count = 0;
        std::uint32_t next = 0;
        std::uint64_t linkOffset = 0; // 0: the file header; else the previous run's node
    };

    std::string readDbaseThree(std::uint64_t offset, std::uint64_t fileSize) const;
    // The length of the dBASE III value at `offset`, up to its end mark, without keeping it.
    std::uint64_t dbaseThreeLength(std::uint64_t offset, std::uint64_t fileSize) const;
    std::string readValue(std::uint64_t offset, std::uint64_t length) const;
    // The file offset of the block, failing when it lies outside the file.
    std::uint64_t blockOffset(std::uint32_t block, std::uint64_t fileSize) const;
    // The length of the dBASE IV value at `offset`, failing on a bad header or a length past
    // the end of the file.
    std::uint64_t valueLength(std::uint32_t block, std::uint64_t offset,
                              std::uint64_t fileSize) const;
    // Blocks a dBASE IV value at `block` occupies, or 0 when it cannot be reused.
    std::uint32_t reusableBlocks(std::uint32_t block) const;
    std::uint32_t endBlock() const;
    // The chain as far as it is sound; a run that is not (another program's damage) ends it.
    std::vector<FreeRun> freeChain() const;
    void writeU32(std::uint64_t offset, std::uint32_t value);
    void writeRun(std::uint32_t block, std::uint32_t next, std::uint32_t count);
    // First fit on the chain, else the end of the file.
    std::uint32_t allocate(std::uint32_t blocks);
    void release(std::uint32_t block, std::uint32_t blocks);

    PosixFile file_;
    std::uint32_t blockSize_ = kBlockSize;
    bool dbaseThree_ = false;
};

} // namespace shelfwise::engine
