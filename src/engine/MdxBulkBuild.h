#pragma once

#include "engine/MdxTree.h"

namespace shelfwise::engine {

// Fills a new tag bottom-up: sorts the entries, writes full leaves in file order, then each
// level above, and sets the tag's root, edges and size. Nothing points to the blocks until
// the caller writes the tag header.
class MdxBulkBuild {
public:
    MdxBulkBuild(MdxStorage& storage, MdxTag& tag, MdxPageAllocator& pages)
        : storage_(storage), tag_(tag), pages_(pages) {}

    void run(const IndexEntrySource& entries);

private:
    // A written node and the highest key under it.
    struct Child {
        std::uint32_t page = 0;
        std::string highest;
    };

    std::vector<std::uint32_t> sortedEntries(const std::string& keys,
                                             const std::vector<std::uint32_t>& records) const;
    std::uint32_t writeNode(const mdx::Block& block);
    void flushRun();

    MdxStorage& storage_;
    MdxTag& tag_;
    MdxPageAllocator& pages_;
    // Consecutive blocks waiting to be written in one call.
    std::vector<mdx::Block> run_;
    std::uint32_t runStart_ = 0;
};

} // namespace shelfwise::engine
