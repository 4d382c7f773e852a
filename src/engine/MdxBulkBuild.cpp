#include "engine/MdxBulkBuild.h"

#include "engine/ByteOrder.h"
#include "engine/EngineError.h"

#include <algorithm>
#include <cstring>

namespace shelfwise::engine {

using namespace mdx;

namespace {

constexpr std::size_t kRunBlocks = 256;

} // namespace

std::vector<std::uint32_t>
MdxBulkBuild::sortedEntries(const std::string& keys,
                            const std::vector<std::uint32_t>& records) const {
    const auto length = tag_.info.keyLength;
    const MdxOrder order(tag_.info);
    const auto key = [&](std::uint32_t index) {
        return std::string_view(keys).substr(std::size_t{index} * length, length);
    };
    // Character keys sort first on their leading 8 bytes as one number, which settles most
    // comparisons without touching the keys.
    struct Item {
        std::uint64_t head;
        std::uint32_t index;
    };
    std::vector<Item> items(records.size());
    const bool character = tag_.info.keyType == KeyType::Character;
    for (std::uint32_t i = 0; i < items.size(); ++i) {
        std::uint64_t head = 0;
        for (std::size_t b = 0; character && b < 8; ++b) {
            head = head << 8 | (b < length ? static_cast<std::uint8_t>(keys[i * length + b]) : 0);
        }
        items[i] = {tag_.info.descending ? ~head : head, i};
    }
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.head != b.head) {
            return a.head < b.head;
        }
        return order.entries(key(a.index), records[a.index], key(b.index), records[b.index]) < 0;
    });
    std::vector<std::uint32_t> sorted;
    sorted.reserve(items.size());
    for (const auto& item : items) {
        // A repeated (key, record) would break exact positioning: keep one.
        if (sorted.empty() || key(sorted.back()) != key(item.index) ||
            records[sorted.back()] != records[item.index]) {
            sorted.push_back(item.index);
        }
    }
    return sorted;
}

void MdxBulkBuild::flushRun() {
    if (!run_.empty()) {
        storage_.writeBlocks(runStart_, run_);
        run_.clear();
    }
}

std::uint32_t MdxBulkBuild::writeNode(const Block& block) {
    const auto page = pages_.allocate();
    if (!run_.empty() &&
        (page != runStart_ + run_.size() * kPagesPerBlock || run_.size() == kRunBlocks)) {
        flushRun();
    }
    if (run_.empty()) {
        runStart_ = page;
    }
    run_.push_back(block);
    tag_.pages += kPagesPerBlock;
    return page;
}

void MdxBulkBuild::run(const IndexEntrySource& entries) {
    const auto length = tag_.info.keyLength;
    std::string keys;
    std::vector<std::uint32_t> records;
    IndexEntry entry;
    while (entries(entry)) {
        if (entry.key.size() != length) {
            throw EngineError("The key of record " + std::to_string(entry.record) + " has " +
                              std::to_string(entry.key.size()) + " bytes, tag " + tag_.info.name +
                              " takes " + std::to_string(length));
        }
        keys += entry.key;
        records.push_back(entry.record);
    }
    const auto sorted = sortedEntries(keys, records);

    std::vector<Child> level;
    const auto itemLength = tag_.itemLength;
    for (std::size_t begin = 0; begin < sorted.size() || level.empty(); begin += tag_.maxKeys) {
        const auto end = std::min(sorted.size(), begin + tag_.maxKeys);
        Block block{};
        storeU32(block.data() + kNodeCount, static_cast<std::uint32_t>(end - begin));
        for (auto i = begin; i < end; ++i) {
            std::uint8_t* item = block.data() + kNodeItems + (i - begin) * itemLength;
            storeU32(item, records[sorted[i]]);
            std::memcpy(item + 4, keys.data() + std::size_t{sorted[i]} * length, length);
        }
        const std::string highest =
            end > begin ? keys.substr(std::size_t{sorted[end - 1]} * length, length) : "";
        level.push_back({writeNode(block), highest});
    }
    tag_.firstLeaf = level.front().page;
    tag_.lastLeaf = level.back().page;

    // Each level above shares its children out evenly, so no node is left with one child.
    const std::size_t fanout = tag_.maxKeys + 1;
    while (level.size() > 1) {
        std::vector<Child> above;
        const std::size_t nodes = (level.size() + fanout - 1) / fanout;
        std::size_t next = 0;
        for (std::size_t n = 0; n < nodes; ++n) {
            const std::size_t children = level.size() / nodes + (n < level.size() % nodes ? 1 : 0);
            Block block{};
            storeU32(block.data() + kNodeCount, static_cast<std::uint32_t>(children - 1));
            for (std::size_t c = 0; c < children; ++c) {
                std::uint8_t* item = block.data() + kNodeItems + c * itemLength;
                storeU32(item, level[next + c].page);
                if (c + 1 < children) {
                    std::memcpy(item + 4, level[next + c].highest.data(), length);
                }
            }
            above.push_back({writeNode(block), level[next + children - 1].highest});
            next += children;
        }
        level = std::move(above);
    }
    flushRun();
    tag_.root = level.front().page;
    tag_.hasKeys = !sorted.empty();
}

} // namespace shelfwise::engine
