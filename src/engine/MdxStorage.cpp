#include "engine/MdxStorage.h"

namespace shelfwise::engine {

MdxStorage::MdxStorage(const std::filesystem::path& path, bool writable)
    : file_(path, writable ? PosixFile::Access::ReadWrite : PosixFile::Access::ReadOnly) {}

std::shared_ptr<const mdx::Block> MdxStorage::block(std::uint32_t page) {
    if (const auto it = cache_.find(page); it != cache_.end()) {
        return it->second;
    }
    auto block = std::make_shared<mdx::Block>();
    file_.readAt(block->data(), block->size(), std::uint64_t{page} * mdx::kPageSize,
                 "an index node");
    ++diskReads_;
    if (cache_.size() >= kCacheBlocks) {
        cache_.clear(); // the upper levels come back with the next few reads
    }
    cache_.emplace(page, block);
    return block;
}

std::vector<std::shared_ptr<const mdx::Block>> MdxStorage::blocksInRow(std::uint32_t firstPage,
                                                                       std::size_t count) {
    auto run = std::make_shared<std::vector<mdx::Block>>(count);
    file_.readAt(run->data(), count * sizeof(mdx::Block), std::uint64_t{firstPage} * mdx::kPageSize,
                 "an index node");
    diskReads_ += count;
    std::vector<std::shared_ptr<const mdx::Block>> blocks;
    for (auto& block : *run) {
        blocks.emplace_back(run, &block); // each keeps the whole run alive
    }
    return blocks;
}

void MdxStorage::writeBlock(std::uint32_t page, const mdx::Block& block) {
    file_.writeAt(block.data(), block.size(), std::uint64_t{page} * mdx::kPageSize);
    if (cache_.size() >= kCacheBlocks) {
        cache_.clear();
    }
    cache_[page] = std::make_shared<const mdx::Block>(block);
}

void MdxStorage::writeBlocks(std::uint32_t firstPage, std::span<const mdx::Block> blocks) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        cache_.erase(firstPage + static_cast<std::uint32_t>(i * mdx::kPagesPerBlock));
    }
    file_.writeAt(blocks.data(), blocks.size_bytes(), std::uint64_t{firstPage} * mdx::kPageSize);
}

} // namespace shelfwise::engine
