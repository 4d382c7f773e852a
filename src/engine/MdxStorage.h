#pragma once

#include "engine/MdxFormat.h"
#include "engine/PosixFile.h"

#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace shelfwise::engine {

// The .mdx file with a cache of its blocks. The cache holds what this process last read or
// wrote; the owner drops it when another writer changed the file.
class MdxStorage {
public:
    MdxStorage(const std::filesystem::path& path, bool writable);

    PosixFile& file() { return file_; }

    std::shared_ptr<const mdx::Block> block(std::uint32_t page);
    // Consecutive blocks in one read, bypassing the cache (for a walk over a whole level).
    std::vector<std::shared_ptr<const mdx::Block>> blocksInRow(std::uint32_t firstPage,
                                                               std::size_t count);
    void writeBlock(std::uint32_t page, const mdx::Block& block);
    // Writes consecutive blocks in one call, bypassing the cache (bulk builds).
    void writeBlocks(std::uint32_t firstPage, std::span<const mdx::Block> blocks);
    void dropCache() { cache_.clear(); }
    // Blocks read from the file so far (cache hits do not count).
    std::uint64_t diskReads() const { return diskReads_; }

private:
    static constexpr std::size_t kCacheBlocks = 8192;

    PosixFile file_;
    std::unordered_map<std::uint32_t, std::shared_ptr<const mdx::Block>> cache_;
    std::uint64_t diskReads_ = 0;
};

} // namespace shelfwise::engine
