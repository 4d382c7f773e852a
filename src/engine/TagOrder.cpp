#include "engine/TagOrder.h"

#include <algorithm>
#include <utility>

namespace shelfwise::engine {

TagOrder::TagOrder(MdxFile& file, const TagSet::Tag& tag,
                   std::function<std::string(const RecordBuffer&)> keyOf)
    : file_(file), tag_(tag), cursor_(file.cursor(tag.info.name)), keyOf_(std::move(keyOf)) {}

void TagOrder::setRange(std::string start, std::string end) {
    start_ = std::move(start);
    end_ = std::move(end);
}

int TagOrder::order(std::string_view a, std::string_view b) const {
    const int c = compareKeys(tag_.info.keyType, a, b);
    return tag_.info.descending ? -c : c;
}

bool TagOrder::inRange(std::string_view key) const {
    return (start_.empty() || order(key, start_) >= 0) && (end_.empty() || order(key, end_) <= 0);
}

bool TagOrder::afterEnd() const {
    return !end_.empty() && order(cursor_.key(), end_) > 0;
}

bool TagOrder::beforeStart() const {
    return !start_.empty() && order(cursor_.key(), start_) < 0;
}

std::optional<std::uint32_t> TagOrder::current() const {
    if (!cursor_.onEntry() || afterEnd() || beforeStart()) {
        return std::nullopt;
    }
    return cursor_.record();
}

std::optional<std::uint32_t> TagOrder::first() {
    if (start_.empty()) {
        cursor_.first();
    } else {
        cursor_.seek(start_);
    }
    return current();
}

void TagOrder::seekPast(const std::string& bound) {
    if (tag_.info.keyType == KeyType::Character) {
        // Character keys compare bytewise, so the keys beginning with the bound end where the
        // next prefix of its length (the previous one in a descending tag) begins.
        std::string past = bound;
        const int step = tag_.info.descending ? -1 : 1;
        const unsigned char limit = tag_.info.descending ? 0x00 : 0xFF;
        while (!past.empty() && static_cast<unsigned char>(past.back()) == limit) {
            past.pop_back();
        }
        if (past.empty()) {
            cursor_.last();
            cursor_.next();
            return;
        }
        past.back() = static_cast<char>(static_cast<unsigned char>(past.back()) + step);
        cursor_.seek(past);
        return;
    }
    // Numeric and date bounds are whole keys: step over the entries equal to it.
    if (cursor_.seek(bound)) {
        while (order(cursor_.key(), bound) == 0 && cursor_.next()) {
        }
    }
}

std::optional<std::uint32_t> TagOrder::last() {
    if (end_.empty()) {
        cursor_.last();
    } else {
        seekPast(end_);
        if (cursor_.onEntry()) {
            cursor_.prior();
        } else {
            cursor_.last();
        }
    }
    return current();
}

std::optional<std::uint32_t> TagOrder::next() {
    cursor_.next();
    return current();
}

std::optional<std::uint32_t> TagOrder::prior() {
    cursor_.prior();
    return current();
}

void TagOrder::positionOn(std::uint32_t n, const RecordBuffer& record) {
    cursor_.seekExact(keyOf_(record), n);
}

std::uint32_t TagOrder::count() {
    return static_cast<std::uint32_t>(file_.count(tag_.info.name, start_, end_));
}

std::uint64_t TagOrder::entriesBeforeRange() const {
    const auto& name = tag_.info.name;
    return start_.empty() ? 0 : file_.count(name, {}, {}) - file_.count(name, start_, {});
}

std::uint32_t TagOrder::position() {
    const std::uint64_t here = cursor_.position();
    const std::uint64_t before = entriesBeforeRange();
    // Never below the range start, even if a damaged index puts the entry there.
    return static_cast<std::uint32_t>(here > before ? here - before : 0);
}

std::uint32_t TagOrder::skip(bool forward, std::uint32_t count) {
    const std::uint64_t here = cursor_.position();
    // Entries up to the range end, or before the range start.
    const std::uint64_t limit =
        forward ? file_.count(tag_.info.name, {}, end_) : entriesBeforeRange();
    std::uint64_t available = 0;
    if (forward && limit > here + 1) {
        available = limit - here - 1;
    } else if (!forward && here > limit) {
        available = here - limit;
    }
    const auto moved = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, available));
    cursor_.moveTo(forward ? here + moved : here - moved);
    return moved;
}

std::optional<std::uint32_t> TagOrder::seek(const std::string& prefix) {
    cursor_.seek(prefix);
    while (cursor_.onEntry() && order(cursor_.key(), prefix) == 0 && beforeStart()) {
        cursor_.next();
    }
    return matching(prefix);
}

std::optional<std::uint32_t> TagOrder::nextWithPrefix(const std::string& prefix) {
    cursor_.next();
    return matching(prefix);
}

std::optional<std::uint32_t> TagOrder::matching(const std::string& prefix) const {
    if (!cursor_.onEntry() || order(cursor_.key(), prefix) != 0) {
        return std::nullopt;
    }
    return current();
}

} // namespace shelfwise::engine
