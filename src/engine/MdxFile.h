#pragma once

#include "engine/KeyExpression.h"
#include "engine/PosixFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::engine {

// One tag of a production index.
struct MdxTagInfo {
    std::string name;       // at most 10 characters, stored upper case
    std::string expression; // the dBASE key expression, at most 220 characters
    bool descending = false;
    KeyType keyType = KeyType::Character;
    std::size_t keyLength = 0;
};

struct IndexEntry {
    std::string key;          // encoded key, keyLength bytes
    std::uint32_t record = 0; // 1-based record number in the .dbf
};

// Fills the next entry and returns true, or returns false at the end.
using IndexEntrySource = std::function<bool(IndexEntry&)>;

class MdxCursor;

// A dBASE IV production index (.mdx): named tags, each a B-tree of 1024-byte nodes.
// Entries are ordered by key in the tag's direction, equal keys by record number.
// Another process may change the file between calls (writers are serialised by the caller's
// lock); every call notices such a change and reads afresh. A damaged file raises
// EngineError, on open or on the read that meets the damage.
class MdxFile {
public:
    enum class Mode { ReadOnly, ReadWrite };

    // Writes a new index without tags, replacing any file at the path.
    static void create(const std::filesystem::path& path, std::string_view tableName);

    MdxFile(const std::filesystem::path& path, Mode mode);
    ~MdxFile();
    MdxFile(const MdxFile&) = delete;
    MdxFile& operator=(const MdxFile&) = delete;

    // Tags in the order of the file's tag table.
    std::vector<MdxTagInfo> tags() const;

    // Adds a tag and fills it from the entries (any order). The name must be new; keyType and
    // keyLength must match the keys the source gives.
    void addTag(const MdxTagInfo& tag, const IndexEntrySource& entries);
    // Removes a tag; its nodes are kept for reuse by later growth.
    void deleteTag(std::string_view name);

    // Insert returns false when the entry is already there, remove when it is not.
    bool insert(std::string_view tag, std::string_view key, std::uint32_t record);
    bool remove(std::string_view tag, std::string_view key, std::uint32_t record);

    // Entries from the first at or after `from` to the last at or before `to`, in tag order.
    // Keys may be prefixes (compareKeys); an empty bound is open.
    std::uint64_t count(std::string_view tag, std::string_view from, std::string_view to) const;

    // Walks the whole tag checking structure and order; returns the number of entries.
    std::uint64_t check(std::string_view tag) const;

    MdxCursor cursor(std::string_view tag) const;

    // Forces written nodes to the disk (fdatasync).
    void flush();
    // The file, for a post that buffers its writes (PosixFile::beginBuffering).
    PosixFile& file();
    // Reads the file afresh, after writes were dropped or rolled back.
    void reload();
    // The subtree counts (see MdxCounts) kept in a file between opens, so that the first
    // range count after an open need not walk the tag. They are taken only for the index
    // exactly as it was when they were saved (its size, modification time and headers). Both
    // calls need the table's header lock and report no failure: the counts are only a cache.
    void saveCounts(const std::filesystem::path& path);
    void loadCounts(const std::filesystem::path& path);

    // For a run of reads under the table's header lock, which every writer of this program
    // holds while it writes: the index is compared with the file once at the beginning (when
    // `compare`: the caller saw the table change) instead of at every call.
    void beginSteadyRead(std::string_view tag, bool compare);
    void endSteadyRead();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// A position in one tag. Moving past either end leaves the cursor off the entries; next()
// from before the first and prior() from after the last come back on. When the tree changed
// since the last move (here or in another process), the cursor finds its entry again by
// (key, record) before moving.
class MdxCursor {
public:
    bool first();
    bool last();
    // The first entry at or after the key in tag order; the key may be a prefix.
    bool seek(std::string_view key);
    // The entry (key, record); when it is missing the cursor stops on the entry after it
    // and the result is false.
    bool seekExact(std::string_view key, std::uint32_t record);
    bool next();
    bool prior();
    // Entries before the cursor in tag order (before where its entry was, when a change
    // removed it); all of them after the last.
    std::uint64_t position();
    // The entry with `position` entries before it, found by the subtree counts without
    // walking; past the last the cursor goes off the entries.
    bool moveTo(std::uint64_t position);

    bool onEntry() const { return state_ == State::On; }
    const std::string& key() const { return key_; }
    std::uint32_t record() const { return record_; }

    struct Step {
        std::uint32_t page = 0;
        std::uint32_t slot = 0;
    };

private:
    friend class MdxFile;
    enum class State { BeforeFirst, On, AfterLast };

    MdxCursor(MdxFile::Impl& file, std::string tag);
    // Takes a new position: on `entry` when `onEntry`, otherwise off the entries at `offSide`.
    bool place(bool onEntry, std::vector<Step> path, IndexEntry entry, State offSide);

    MdxFile::Impl* file_;
    std::string tag_;
    State state_ = State::BeforeFirst;
    std::vector<Step> path_; // root to leaf; the leaf step's slot is the entry
    std::string key_;
    std::uint32_t record_ = 0;
    std::uint64_t generation_ = 0;
};

} // namespace shelfwise::engine
