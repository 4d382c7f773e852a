#include "engine/MdxTree.h"

#include "engine/ByteOrder.h"
#include "engine/EngineError.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <unordered_set>

namespace shelfwise::engine {

using namespace mdx;

MdxNode::MdxNode(std::shared_ptr<const Block> block, const MdxTag& tag, std::uint32_t page)
    : block_(std::move(block)), itemLength_(tag.itemLength), keyLength_(tag.info.keyLength),
      count_(loadU32(block_->data() + kNodeCount)) {
    if (count_ > tag.maxKeys) {
        throw EngineError("The index file is damaged: node " + std::to_string(page) + " of tag " +
                              tag.info.name + " claims " + std::to_string(count_) + " keys",
                          EngineError::Reason::Damaged);
    }
    leaf_ = loadU32(block_->data() + kNodeItems + count_ * itemLength_) == 0;
}

std::uint32_t MdxNode::pointer(std::size_t slot) const {
    return loadU32(block_->data() + kNodeItems + slot * itemLength_);
}

std::string_view MdxNode::key(std::size_t slot) const {
    return {reinterpret_cast<const char*>(block_->data()) + kNodeItems + slot * itemLength_ + 4,
            keyLength_};
}

MdxTree::MdxTree(MdxStorage& storage, MdxTag& tag, const HeaderBlock& header, MdxCounts& counts)
    : storage_(storage), tag_(tag), header_(header), counts_(counts), order_(tag.info) {}

void MdxTree::damaged(const std::string& problem) const {
    throw EngineError("The index file is damaged: tag " + tag_.info.name + ": " + problem,
                      EngineError::Reason::Damaged);
}

void MdxTree::checkKey(std::string_view key, bool bound) const {
    const auto length = tag_.info.keyLength;
    const bool fits = key.size() == length ||
                      (bound && (key.empty() ||
                                 (tag_.info.keyType == KeyType::Character && key.size() < length)));
    if (!fits) {
        throw EngineError("A key of " + std::to_string(key.size()) + " bytes does not fit tag " +
                          tag_.info.name + " (" + std::to_string(length) + " bytes)");
    }
}

MdxNode MdxTree::node(std::uint32_t page) {
    const auto pages = loadU32(&header_[kPageCount]);
    if (page < kFirstBlockPage || page > pages - kPagesPerBlock) {
        damaged("a node pointer (" + std::to_string(page) + ") lies outside the file");
    }
    return MdxNode(storage_.block(page), tag_, page);
}

void MdxTree::checkDepth(const MdxPath& path) const {
    if (path.size() >= kMaxDepth) {
        damaged("the tree is deeper than " + std::to_string(kMaxDepth) + " levels (a loop?)");
    }
}

void MdxTree::descendEdge(MdxPath& path, std::uint32_t page, bool rightmost) {
    while (true) {
        checkDepth(path);
        const MdxNode current = node(page);
        const auto slot = rightmost ? static_cast<std::uint32_t>(current.count()) : 0;
        path.push_back({page, slot});
        if (current.leaf()) {
            return;
        }
        page = current.pointer(slot);
    }
}

bool MdxTree::settle(MdxPath& path) {
    // Only empty leaves make this loop more than once; more of them than the file has
    // blocks means the tree loops.
    const auto limit = loadU32(&header_[kPageCount]);
    for (std::uint32_t round = 0; round <= limit; ++round) {
        if (path.back().slot < node(path.back().page).count()) {
            return true;
        }
        path.pop_back();
        while (!path.empty() && path.back().slot >= node(path.back().page).count()) {
            path.pop_back();
        }
        if (path.empty()) {
            return false;
        }
        ++path.back().slot;
        descendEdge(path, node(path.back().page).pointer(path.back().slot), false);
    }
    damaged("the tree loops");
}

bool MdxTree::first(MdxPath& path) {
    path.clear();
    descendEdge(path, tag_.root, false);
    return settle(path);
}

bool MdxTree::last(MdxPath& path) {
    path.clear();
    descendEdge(path, tag_.root, true);
    return retreat(path);
}

bool MdxTree::next(MdxPath& path) {
    const auto before = entry(path);
    ++path.back().slot;
    if (!settle(path)) {
        return false;
    }
    const auto after = entry(path);
    if (order_.entries(after.key, after.record, before.key, before.record) <= 0) {
        damaged("entries out of order");
    }
    return true;
}

bool MdxTree::prior(MdxPath& path) {
    const auto before = entry(path);
    if (!retreat(path)) {
        return false;
    }
    const auto after = entry(path);
    if (order_.entries(after.key, after.record, before.key, before.record) >= 0) {
        damaged("entries out of order");
    }
    return true;
}

bool MdxTree::retreat(MdxPath& path) {
    const auto limit = loadU32(&header_[kPageCount]);
    for (std::uint32_t round = 0; round <= limit; ++round) {
        auto& leaf = path.back();
        leaf.slot = std::min<std::uint32_t>(leaf.slot, node(leaf.page).count());
        if (leaf.slot > 0) {
            --leaf.slot;
            return true;
        }
        path.pop_back();
        while (!path.empty() && path.back().slot == 0) {
            path.pop_back();
        }
        if (path.empty()) {
            return false;
        }
        --path.back().slot;
        descendEdge(path, node(path.back().page).pointer(path.back().slot), true);
    }
    damaged("the tree loops");
}

bool MdxTree::seek(std::string_view key, MdxPath& path) {
    checkKey(key, true);
    descend(key, false, path);
    return settle(path);
}

void MdxTree::descend(std::string_view key, bool pastEqual, MdxPath& path) {
    path.clear();
    std::uint32_t page = tag_.root;
    while (true) {
        checkDepth(path);
        const MdxNode current = node(page);
        // The first slot whose key is at (unless pastEqual) or after the sought one: in an
        // interior node the first child holding such keys, in a leaf the entry itself.
        std::size_t low = 0;
        std::size_t high = current.count();
        while (low < high) {
            const auto middle = (low + high) / 2;
            const int order = order_.keys(current.key(middle), key);
            if (order < 0 || (pastEqual && order == 0)) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        path.push_back({page, static_cast<std::uint32_t>(low)});
        if (current.leaf()) {
            return;
        }
        page = current.pointer(low);
    }
}

std::optional<IndexEntry> MdxTree::lastEntry(std::uint32_t page) {
    MdxPath path;
    descendEdge(path, page, true);
    const MdxNode leaf = node(path.back().page);
    if (leaf.count() == 0) {
        return std::nullopt;
    }
    return IndexEntry{std::string(leaf.key(leaf.count() - 1)), leaf.pointer(leaf.count() - 1)};
}

void MdxTree::locate(std::string_view key, std::uint32_t record, MdxPath& path) {
    path.clear();
    std::uint32_t page = tag_.root;
    while (true) {
        checkDepth(path);
        const MdxNode current = node(page);
        const auto count = current.count();
        std::size_t low = 0;
        std::size_t high = count;
        if (current.leaf()) {
            while (low < high) {
                const auto middle = (low + high) / 2;
                if (order_.entries(current.key(middle), current.pointer(middle), key, record) < 0) {
                    low = middle + 1;
                } else {
                    high = middle;
                }
            }
            path.push_back({page, static_cast<std::uint32_t>(low)});
            return;
        }
        // Interior keys carry no record numbers: among the children whose highest key equals
        // the sought key, the right one is the first whose last entry is at or after it.
        while (low < high) {
            const auto middle = (low + high) / 2;
            if (order_.keys(current.key(middle), key) < 0) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        if (low < count && order_.keys(current.key(low), key) == 0) {
            high = low;
            while (high < count && order_.keys(current.key(high), key) == 0) {
                ++high;
            }
            while (low < high) {
                const auto middle = (low + high) / 2;
                const auto last = lastEntry(current.pointer(middle));
                if (!last || order_.entries(last->key, last->record, key, record) < 0) {
                    low = middle + 1;
                } else {
                    high = middle;
                }
            }
        }
        path.push_back({page, static_cast<std::uint32_t>(low)});
        page = current.pointer(low);
    }
}

MdxTree::Found MdxTree::seekEntry(std::string_view key, std::uint32_t record, MdxPath& path) {
    checkKey(key, false);
    locate(key, record, path);
    if (!settle(path)) {
        return Found::End;
    }
    const auto found = entry(path);
    return found.key == key && found.record == record ? Found::Exact : Found::After;
}

IndexEntry MdxTree::entry(const MdxPath& path) {
    const MdxNode leaf = node(path.back().page);
    const auto slot = path.back().slot;
    if (slot >= leaf.count()) {
        damaged("a cursor lost its entry");
    }
    return {std::string(leaf.key(slot)), leaf.pointer(slot)};
}

const std::vector<std::uint64_t>& MdxTree::childCounts(std::uint32_t page, std::size_t depth) {
    if (const auto* known = counts_.find(page)) {
        return *known;
    }
    if (depth >= kMaxDepth) {
        damaged("the tree is deeper than " + std::to_string(kMaxDepth) + " levels (a loop?)");
    }
    const MdxNode current = node(page);
    const std::size_t children = current.count() + 1;
    // Children that lie close together, as a bulk build writes each level (forwards into new
    // blocks, backwards into freed ones), come in one read.
    std::uint32_t low = current.pointer(0);
    std::uint32_t high = low;
    for (std::size_t slot = 1; slot < children; ++slot) {
        low = std::min(low, current.pointer(slot));
        high = std::max(high, current.pointer(slot));
    }
    const std::size_t span = (std::size_t{high} - low) / kPagesPerBlock + 1;
    const bool together = low >= kFirstBlockPage && span <= 2 * children &&
                          std::size_t{high} + kPagesPerBlock <= loadU32(&header_[kPageCount]);
    const auto run =
        together ? storage_.blocksInRow(low, span) : std::vector<std::shared_ptr<const Block>>{};
    std::vector<std::uint64_t> counts;
    for (std::size_t slot = 0; slot < children; ++slot) {
        const auto child = current.pointer(slot);
        const auto offset = (child - low) / kPagesPerBlock;
        const bool aligned = together && (child - low) % kPagesPerBlock == 0;
        counts.push_back(entriesUnder(aligned ? MdxNode(run[offset], tag_, child) : node(child),
                                      child, depth + 1));
    }
    return counts_.store(page, std::move(counts));
}

std::uint64_t MdxTree::entriesUnder(const MdxNode& current, std::uint32_t page, std::size_t depth) {
    if (current.leaf()) {
        return current.count();
    }
    const auto& counts = childCounts(page, depth);
    return std::accumulate(counts.begin(), counts.end(), std::uint64_t{0});
}

std::uint64_t MdxTree::position(const MdxPath& path) {
    std::uint64_t before = path.back().slot;
    for (std::size_t level = 0; level + 1 < path.size(); ++level) {
        const auto& counts = childCounts(path[level].page, level);
        const auto slot = std::min<std::size_t>(path[level].slot, counts.size());
        before = std::accumulate(counts.begin(), counts.begin() + static_cast<std::ptrdiff_t>(slot),
                                 before);
    }
    return before;
}

bool MdxTree::select(std::uint64_t position, MdxPath& path) {
    path.clear();
    std::uint32_t page = tag_.root;
    while (true) {
        checkDepth(path);
        const MdxNode current = node(page);
        if (current.leaf()) {
            if (position >= current.count()) {
                if (path.empty()) {
                    return false;
                }
                damaged("a node holds fewer entries than its parent counted");
            }
            path.push_back({page, static_cast<std::uint32_t>(position)});
            return true;
        }
        const auto& counts = childCounts(page, path.size());
        std::size_t slot = 0;
        while (slot < counts.size() && position >= counts[slot]) {
            position -= counts[slot++];
        }
        if (slot == counts.size()) {
            if (path.empty()) {
                return false;
            }
            damaged("a node holds fewer entries than its parent counted");
        }
        path.push_back({page, static_cast<std::uint32_t>(slot)});
        page = current.pointer(slot);
    }
}

std::uint64_t MdxTree::count(std::string_view from, std::string_view to) {
    checkKey(from, true);
    checkKey(to, true);
    MdxPath path;
    std::uint64_t begin = 0;
    if (!from.empty()) {
        descend(from, false, path);
        begin = position(path);
    }
    std::uint64_t end = 0;
    if (to.empty()) {
        end = entriesUnder(node(tag_.root), tag_.root, 0);
    } else {
        descend(to, true, path);
        end = position(path);
    }
    return end > begin ? end - begin : 0;
}

void MdxTree::recount(const MdxPath& path, int delta, bool reshaped) {
    for (std::size_t level = 0; level + 1 < path.size(); ++level) {
        if (reshaped) {
            counts_.forget(path[level].page);
        } else {
            counts_.adjust(path[level].page, path[level].slot, delta);
        }
    }
}

std::uint64_t MdxTree::check() {
    std::uint64_t total = 0;
    std::optional<IndexEntry> previous;
    std::optional<std::size_t> leafDepth;
    std::unordered_set<std::uint32_t> visited;
    const auto visit = [&](const auto& self, std::uint32_t page, std::size_t depth,
                           std::optional<std::string_view> ceiling) -> void {
        if (depth >= kMaxDepth) {
            damaged("the tree is deeper than " + std::to_string(kMaxDepth) + " levels");
        }
        if (!visited.insert(page).second) {
            damaged("node " + std::to_string(page) + " is reached twice");
        }
        const MdxNode current = node(page);
        if (!current.leaf()) {
            for (std::size_t slot = 0; slot <= current.count(); ++slot) {
                self(self, current.pointer(slot), depth + 1,
                     slot < current.count() ? std::optional(current.key(slot)) : ceiling);
            }
            return;
        }
        if (leafDepth.value_or(depth) != depth) {
            damaged("leaves at different depths");
        }
        leafDepth = depth;
        for (std::size_t slot = 0; slot < current.count(); ++slot) {
            const auto key = current.key(slot);
            const auto record = current.pointer(slot);
            if (previous && order_.entries(key, record, previous->key, previous->record) <= 0) {
                damaged("entries out of order in node " + std::to_string(page));
            }
            if (ceiling && order_.keys(key, *ceiling) > 0) {
                damaged("a key above its parent's key in node " + std::to_string(page));
            }
            previous = IndexEntry{std::string(key), record};
            ++total;
        }
    };
    visit(visit, tag_.root, 0, std::nullopt);
    return total;
}

std::vector<std::uint32_t> MdxTree::nodePages() {
    std::vector<std::uint32_t> pages;
    std::unordered_set<std::uint32_t> seen;
    const auto visit = [&](const auto& self, std::uint32_t page, std::size_t depth) -> void {
        if (depth >= kMaxDepth || !seen.insert(page).second) {
            damaged("the tree loops");
        }
        pages.push_back(page);
        const MdxNode current = node(page);
        for (std::size_t slot = 0; !current.leaf() && slot <= current.count(); ++slot) {
            self(self, current.pointer(slot), depth + 1);
        }
    };
    visit(visit, tag_.root, 0);
    return pages;
}

MdxTree::Items MdxTree::decode(const MdxNode& node) const {
    Items items;
    items.leaf = node.leaf();
    for (std::size_t slot = 0; slot < node.count(); ++slot) {
        items.pointers.push_back(node.pointer(slot));
        items.keys.emplace_back(node.key(slot));
    }
    if (!items.leaf) {
        items.pointers.push_back(node.pointer(node.count()));
    }
    return items;
}

Block MdxTree::encode(const Items& items) const {
    Block block{};
    storeU32(block.data() + kNodeCount, static_cast<std::uint32_t>(items.keys.size()));
    for (std::size_t slot = 0; slot < items.pointers.size(); ++slot) {
        std::uint8_t* item = block.data() + kNodeItems + slot * tag_.itemLength;
        storeU32(item, items.pointers[slot]);
        if (slot < items.keys.size()) {
            std::memcpy(item + 4, items.keys[slot].data(), items.keys[slot].size());
        }
    }
    return block;
}

MdxTree::Split MdxTree::split(Items items) {
    Split result;
    result.left.leaf = result.right.leaf = items.leaf;
    const auto count = items.keys.size();
    const auto middle = static_cast<std::ptrdiff_t>(items.leaf ? (count + 1) / 2 : count / 2);
    auto& keys = items.keys;
    auto& pointers = items.pointers;
    if (items.leaf) {
        result.left.keys.assign(keys.begin(), keys.begin() + middle);
        result.left.pointers.assign(pointers.begin(), pointers.begin() + middle);
        result.separator = result.left.keys.back();
        result.right.keys.assign(keys.begin() + middle, keys.end());
        result.right.pointers.assign(pointers.begin() + middle, pointers.end());
    } else {
        // The middle key goes up: it is the highest key under the left half's last child.
        result.left.keys.assign(keys.begin(), keys.begin() + middle);
        result.left.pointers.assign(pointers.begin(), pointers.begin() + middle + 1);
        result.separator = keys[static_cast<std::size_t>(middle)];
        result.right.keys.assign(keys.begin() + middle + 1, keys.end());
        result.right.pointers.assign(pointers.begin() + middle + 1, pointers.end());
    }
    return result;
}

void MdxTree::refreshEdges() {
    MdxPath path;
    descendEdge(path, tag_.root, false);
    tag_.firstLeaf = path.back().page;
    path.clear();
    descendEdge(path, tag_.root, true);
    tag_.lastLeaf = path.back().page;
}

bool MdxTree::insert(std::string_view key, std::uint32_t record, MdxPageAllocator& pages,
                     std::vector<std::uint32_t>& freed) {
    checkKey(key, false);
    MdxPath path;
    locate(key, record, path);
    Items items = decode(node(path.back().page));
    const auto slot = path.back().slot;
    if (slot < items.keys.size() && items.keys[slot] == key && items.pointers[slot] == record) {
        return false;
    }
    items.keys.insert(items.keys.begin() + slot, std::string(key));
    items.pointers.insert(items.pointers.begin() + slot, record);
    // Full nodes split into two new blocks, written before their parent points to them.
    for (std::size_t level = path.size() - 1;; --level) {
        const auto page = path[level].page;
        if (items.keys.size() <= tag_.maxKeys) {
            storage_.writeBlock(page, encode(items));
            break;
        }
        const Split halves = split(std::move(items));
        const auto leftPage = pages.allocate();
        const auto rightPage = pages.allocate();
        storage_.writeBlock(leftPage, encode(halves.left));
        storage_.writeBlock(rightPage, encode(halves.right));
        freed.push_back(page);
        tag_.pages += kPagesPerBlock;
        if (level == 0) {
            const auto rootPage = pages.allocate();
            storage_.writeBlock(rootPage,
                                encode({false, {leftPage, rightPage}, {halves.separator}}));
            tag_.pages += kPagesPerBlock;
            pages.publishGrowth();
            tag_.root = rootPage;
            break;
        }
        pages.publishGrowth();
        const auto parentSlot = path[level - 1].slot;
        items = decode(node(path[level - 1].page));
        items.pointers[parentSlot] = rightPage;
        items.pointers.insert(items.pointers.begin() + parentSlot, leftPage);
        items.keys.insert(items.keys.begin() + parentSlot, halves.separator);
    }
    tag_.hasKeys = true;
    recount(path, 1, !freed.empty());
    if (!freed.empty()) {
        refreshEdges();
    }
    return true;
}

bool MdxTree::remove(std::string_view key, std::uint32_t record,
                     std::vector<std::uint32_t>& freed) {
    checkKey(key, false);
    MdxPath path;
    locate(key, record, path);
    auto level = path.size() - 1;
    Items items = decode(node(path[level].page));
    const auto slot = path[level].slot;
    if (slot >= items.keys.size() || items.keys[slot] != key || items.pointers[slot] != record) {
        return false;
    }
    const bool wasHighest = slot + 1 == items.keys.size();
    items.keys.erase(items.keys.begin() + slot);
    items.pointers.erase(items.pointers.begin() + slot);
    // The node's new highest key, when it changed and the parents must learn it.
    std::optional<std::string> highest;
    if (wasHighest && !items.keys.empty()) {
        highest = items.keys.back();
    }
    const auto nodesBefore = freed.size();
    // An emptied node leaves its parent; a parent losing its rightmost child takes the key
    // of the child before as its new highest key.
    while (level > 0 && items.pointers.empty()) {
        freed.push_back(path[level].page);
        tag_.pages -= kPagesPerBlock;
        --level;
        items = decode(node(path[level].page));
        const auto child = path[level].slot;
        items.pointers.erase(items.pointers.begin() + child);
        highest.reset();
        if (child < items.keys.size()) {
            items.keys.erase(items.keys.begin() + child);
        } else if (!items.keys.empty()) {
            highest = items.keys.back();
            items.keys.pop_back();
        }
    }
    if (level == 0 && items.pointers.empty()) {
        items.leaf = true; // the last entry is gone
    }
    storage_.writeBlock(path[level].page, encode(items));
    for (auto up = level; highest && up-- > 0;) {
        const auto child = path[up].slot;
        Items parent = decode(node(path[up].page));
        if (child < parent.keys.size()) {
            parent.keys[child] = *highest;
            storage_.writeBlock(path[up].page, encode(parent));
            break;
        }
    }
    // A root left with one child hands the root over to it.
    for (std::size_t depth = 0;; ++depth) {
        if (depth >= kMaxDepth) {
            damaged("the root loops");
        }
        const MdxNode root = node(tag_.root);
        if (root.leaf() || root.count() > 0) {
            tag_.hasKeys = !root.leaf() || root.count() > 0;
            break;
        }
        freed.push_back(tag_.root);
        tag_.pages -= kPagesPerBlock;
        tag_.root = root.pointer(0);
    }
    recount(path, -1, freed.size() != nodesBefore);
    if (freed.size() != nodesBefore) {
        refreshEdges();
    }
    return true;
}

} // namespace shelfwise::engine
