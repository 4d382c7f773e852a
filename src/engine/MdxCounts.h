#pragma once

// Internal: not part of the engine's public interface.

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace shelfwise::engine {

// Entries under each child of the interior nodes counted so far, so that a range count or a
// long move descends two paths instead of walking leaves. The .mdx format has no room for
// them, so they live only in memory: the owner drops them whenever it drops its node cache,
// and a change here forgets the counts of the nodes it touched.
class MdxCounts {
public:
    // The children's counts of an interior node, or null when not known.
    const std::vector<std::uint64_t>* find(std::uint32_t page) const {
        const auto it = children_.find(page);
        return it == children_.end() ? nullptr : &it->second;
    }
    const std::vector<std::uint64_t>& store(std::uint32_t page, std::vector<std::uint64_t> counts) {
        return children_[page] = std::move(counts);
    }
    // Adds `delta` to one child's count when the node's counts are known.
    void adjust(std::uint32_t page, std::size_t slot, int delta) {
        const auto it = children_.find(page);
        if (it != children_.end() && slot < it->second.size()) {
            it->second[slot] += static_cast<std::uint64_t>(static_cast<std::int64_t>(delta));
        }
    }
    void forget(std::uint32_t page) { children_.erase(page); }
    void clear() { children_.clear(); }
    bool empty() const { return children_.empty(); }
    std::size_t nodes() const { return children_.size(); }
    const std::unordered_map<std::uint32_t, std::vector<std::uint64_t>>& all() const {
        return children_;
    }

private:
    std::unordered_map<std::uint32_t, std::vector<std::uint64_t>> children_;
};

} // namespace shelfwise::engine
