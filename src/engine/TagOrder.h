#pragma once

// Internal: not part of the engine's public interface.

#include "engine/MdxFile.h"
#include "engine/RecordOrder.h"
#include "engine/TagSet.h"

#include <functional>
#include <string>

namespace shelfwise::engine {

// Key order of one tag, optionally limited to a range. Range bounds are key prefixes: the
// start admits every key at or after it in tag order, the end every key at or before it, a
// key that begins with a bound counting as equal to it; an empty bound is open.
class TagOrder : public RecordOrder {
public:
    // `keyOf` gives the key of a record in this tag, for positionOn().
    TagOrder(MdxFile& file, const TagSet::Tag& tag,
             std::function<std::string(const RecordBuffer&)> keyOf);

    const std::string& tagName() const { return tag_.info.name; }
    void setRange(std::string start, std::string end);
    bool inRange(std::string_view key) const;

    std::optional<std::uint32_t> first() override;
    std::optional<std::uint32_t> last() override;
    std::optional<std::uint32_t> next() override;
    std::optional<std::uint32_t> prior() override;
    void positionOn(std::uint32_t n, const RecordBuffer& record) override;
    std::uint32_t count() override;
    std::uint32_t position() override;
    void invalidate() override {} // the index notices changes itself
    // The first entry in range whose key begins with `prefix`; then the next such entry.
    std::optional<std::uint32_t> seek(const std::string& prefix);
    // Moves up to `count` entries forward or back without walking them, stopping on the last
    // (first) entry in range; returns how many it moved. The cursor must be on an entry.
    std::uint32_t skip(bool forward, std::uint32_t count);
    std::optional<std::uint32_t> nextWithPrefix(const std::string& prefix);

private:
    // Compares in tag order: < 0 when `a` comes before `b`.
    int order(std::string_view a, std::string_view b) const;
    std::optional<std::uint32_t> current() const;
    std::optional<std::uint32_t> matching(const std::string& prefix) const;
    bool afterEnd() const;
    bool beforeStart() const;
    // Entries before the first one in range.
    std::uint64_t entriesBeforeRange() const;
    // Puts the cursor on the first entry after every key that begins with `bound`.
    void seekPast(const std::string& bound);

    MdxFile& file_;
    const TagSet::Tag& tag_;
    MdxCursor cursor_;
    std::function<std::string(const RecordBuffer&)> keyOf_;
    std::string start_;
    std::string end_;
};

} // namespace shelfwise::engine
