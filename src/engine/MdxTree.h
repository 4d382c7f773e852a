#pragma once

#include "engine/MdxCounts.h"
#include "engine/MdxHeader.h"
#include "engine/MdxStorage.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace shelfwise::engine {

// Blocks for a tree that grows, and back from one that shrinks.
class MdxPageAllocator {
public:
    virtual ~MdxPageAllocator() = default;
    // A block no pointer reaches yet.
    virtual std::uint32_t allocate() = 0;
    // New blocks are written: record the file's grown size before a pointer to them is.
    virtual void publishGrowth() = 0;
    // A block nothing points to any more.
    virtual void release(std::uint32_t page) = 0;
};

using MdxPath = std::vector<MdxCursor::Step>;

// Entry order of a tag: keys in the tag's direction, equal keys by record number.
class MdxOrder {
public:
    explicit MdxOrder(const MdxTagInfo& tag) : type_(tag.keyType), descending_(tag.descending) {}
    // Key order; a shorter character key compares as a prefix.
    int keys(std::string_view a, std::string_view b) const {
        const int result = compareKeys(type_, a, b);
        return descending_ ? -result : result;
    }
    int entries(std::string_view keyA, std::uint32_t recordA, std::string_view keyB,
                std::uint32_t recordB) const {
        const int result = keys(keyA, keyB);
        return result != 0 ? result : (recordA < recordB ? -1 : (recordA > recordB ? 1 : 0));
    }

private:
    KeyType type_;
    bool descending_;
};

// A node block as read, checked against its tag's layout.
class MdxNode {
public:
    MdxNode(std::shared_ptr<const mdx::Block> block, const MdxTag& tag, std::uint32_t page);

    std::size_t count() const { return count_; }
    bool leaf() const { return leaf_; }
    // A record number in a leaf; a child page in an interior node, where slot count() is the
    // rightmost child.
    std::uint32_t pointer(std::size_t slot) const;
    std::string_view key(std::size_t slot) const;

private:
    std::shared_ptr<const mdx::Block> block_;
    std::size_t itemLength_;
    std::size_t keyLength_;
    std::size_t count_;
    bool leaf_;
};

// The B-tree of one tag: paths, moves, counts and single-entry changes. Blocks removed
// from the tree are handed back to the caller, who releases them once the tag header no
// longer reaches them. Counts come from the subtree counts, which changes keep right.
class MdxTree {
public:
    MdxTree(MdxStorage& storage, MdxTag& tag, const mdx::HeaderBlock& header, MdxCounts& counts);

    enum class Found { Exact, After, End };

    // Each positions `path` on an entry and returns false when there is none. Moves check
    // that entries come in order, so a damaged tree cannot make a walk repeat itself.
    bool first(MdxPath& path);
    bool last(MdxPath& path);
    bool seek(std::string_view key, MdxPath& path);
    bool next(MdxPath& path);
    bool prior(MdxPath& path);
    // Positions on (key, record) or the first entry after it.
    Found seekEntry(std::string_view key, std::uint32_t record, MdxPath& path);
    IndexEntry entry(const MdxPath& path);
    // The number of entries before the position.
    std::uint64_t position(const MdxPath& path);
    // Positions `path` on the entry with `position` entries before it; false past the last.
    bool select(std::uint64_t position, MdxPath& path);

    std::uint64_t count(std::string_view from, std::string_view to);
    std::uint64_t check();
    // Every block of the tree, for deleting the tag.
    std::vector<std::uint32_t> nodePages();

    bool insert(std::string_view key, std::uint32_t record, MdxPageAllocator& pages,
                std::vector<std::uint32_t>& freed);
    bool remove(std::string_view key, std::uint32_t record, std::vector<std::uint32_t>& freed);

    // Throws EngineError unless the key fits the tag: full length, or for a bound a character
    // prefix or an empty numeric or date key.
    void checkKey(std::string_view key, bool bound) const;

private:
    // A node decoded for changing: one pointer per key, plus the rightmost child when interior.
    struct Items {
        bool leaf = true;
        std::vector<std::uint32_t> pointers;
        std::vector<std::string> keys;
    };
    struct Split {
        Items left;
        Items right;
        std::string separator;
    };

    [[noreturn]] void damaged(const std::string& problem) const;
    MdxNode node(std::uint32_t page);
    void checkDepth(const MdxPath& path) const;
    void descendEdge(MdxPath& path, std::uint32_t page, bool rightmost);
    // Path to the first slot whose key comes after `key` (with `pastEqual`) or is at or
    // after it; the leaf slot may be past its last entry.
    void descend(std::string_view key, bool pastEqual, MdxPath& path);
    // Entries under each child of an interior node, counted once and then remembered.
    const std::vector<std::uint64_t>& childCounts(std::uint32_t page, std::size_t depth);
    std::uint64_t entriesUnder(const MdxNode& current, std::uint32_t page, std::size_t depth);
    // After a change at the leaf of `path`: adjusts the counts along it by `delta`, or forgets
    // them when nodes split, merged or went away.
    void recount(const MdxPath& path, int delta, bool reshaped);
    // Moves an end-of-leaf position to the next entry; false past the last.
    bool settle(MdxPath& path);
    // Moves to the entry before the position; false before the first.
    bool retreat(MdxPath& path);
    std::optional<IndexEntry> lastEntry(std::uint32_t page);
    // Path to the leaf slot where (key, record) is or would go.
    void locate(std::string_view key, std::uint32_t record, MdxPath& path);
    void refreshEdges();

    Items decode(const MdxNode& node) const;
    mdx::Block encode(const Items& items) const;
    static Split split(Items items);

    MdxStorage& storage_;
    MdxTag& tag_;
    const mdx::HeaderBlock& header_;
    MdxCounts& counts_;
    MdxOrder order_;
};

} // namespace shelfwise::engine
