#include "engine/RecordBuffer.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace shelfwise::engine {

namespace {

// Character fields are mostly padding: blanks are skipped eight at a time.
std::string_view trimRight(std::string_view s) {
    constexpr std::uint64_t kBlanks = 0x2020202020202020u;
    std::size_t end = s.size();
    std::uint64_t word = 0;
    while (end >= sizeof word &&
           (std::memcpy(&word, s.data() + end - sizeof word, sizeof word), word == kBlanks)) {
        end -= sizeof word;
    }
    while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\0')) {
        --end;
    }
    return s.substr(0, end);
}

std::string_view trim(std::string_view s) {
    s = trimRight(s);
    const std::size_t begin = s.find_first_not_of(' ');
    return begin == std::string_view::npos ? std::string_view() : s.substr(begin);
}

bool isNumericType(char type) {
    return type == 'N' || type == 'F';
}

bool isBlankDate(std::string_view s) {
    s = trim(s);
    return s.empty() || s.find_first_not_of('0') == std::string_view::npos;
}

std::optional<std::chrono::year_month_day> parseDate(std::string_view s) {
    if (s.size() != 8 ||
        !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    auto number = [&](std::size_t at, std::size_t len) {
        int v = 0;
        std::from_chars(s.data() + at, s.data() + at + len, v);
        return v;
    };
    const std::chrono::year_month_day ymd{std::chrono::year(number(0, 4)),
                                          std::chrono::month(unsigned(number(4, 2))),
                                          std::chrono::day(unsigned(number(6, 2)))};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    return ymd;
}

} // namespace

std::uint32_t parseMemoBlock(std::string_view raw, const std::string& tableName,
                             const FieldDescriptor& field) {
    const std::string_view t = trim(raw);
    std::uint32_t block = 0;
    if (t.empty()) {
        return 0;
    }
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), block);
    if (ec != std::errc() || end != t.data() + t.size()) {
        throw EngineError(tableName + ": field " + field.name + ": damaged memo block number \"" +
                              std::string(t) + "\"",
                          EngineError::Reason::Damaged);
    }
    return block;
}

RecordBuffer::RecordBuffer(const FieldList& fields, std::size_t recordLength, std::string tableName)
    : fields_(&fields), bytes_(recordLength, ' '), tableName_(std::move(tableName)) {}

void RecordBuffer::clear() {
    std::fill(bytes_.begin(), bytes_.end(), ' ');
}

const FieldDescriptor& RecordBuffer::field(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= fields_->size()) {
        throw EngineError(tableName_ + ": no field at position " + std::to_string(position));
    }
    return (*fields_)[static_cast<std::size_t>(position)];
}

void RecordBuffer::fail(int position, const std::string& what, EngineError::Reason reason) const {
    throw EngineError(tableName_ + ": field " + field(position).name + ": " + what, reason);
}

std::string_view RecordBuffer::raw(int position) const {
    const FieldDescriptor& f = field(position);
    return std::string_view(bytes_).substr(f.offset, f.width);
}

std::string RecordBuffer::text(int position) const {
    const std::string_view r = raw(position);
    switch (field(position).type) {
    case 'C':
        return std::string(trimRight(r));
    case 'D':
        return date(position) ? std::string(r) : std::string();
    case 'L':
        switch (r[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return "T";
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return "F";
        default:
            return {};
        }
    default:
        return std::string(trim(r));
    }
}

void RecordBuffer::fill(int position, std::string_view rightJustified) {
    const FieldDescriptor& f = field(position);
    if (rightJustified.size() > f.width) {
        fail(position, "the value " + std::string(rightJustified) + " is wider than the field");
    }
    char* p = at(position);
    std::fill_n(p, f.width, ' ');
    std::copy(rightJustified.begin(), rightJustified.end(), p + f.width - rightJustified.size());
}

void RecordBuffer::setText(int position, std::string_view text) {
    const FieldDescriptor& f = field(position);
    switch (f.type) {
    case 'C': {
        char* p = at(position);
        std::fill_n(p, f.width, ' ');
        std::copy_n(text.begin(), std::min<std::size_t>(text.size(), f.width), p);
        return;
    }
    case 'N':
    case 'F': {
        const std::string_view t = trim(text);
        if (t.empty()) {
            setNumber(position, std::nullopt);
            return;
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
        if (ec != std::errc() || end != t.data() + t.size()) {
            fail(position, "\"" + std::string(t) + "\" is not a number");
        }
        setNumber(position, value);
        return;
    }
    case 'D': {
        const std::string_view t = trim(text);
        if (t.empty()) {
            setDate(position, std::nullopt);
            return;
        }
        const auto date = parseDate(t);
        if (!date) {
            fail(position, "\"" + std::string(t) + "\" is not a date (YYYYMMDD)");
        }
        setDate(position, date);
        return;
    }
    case 'L': {
        const std::string_view t = trim(text);
        char stored = ' ';
        if (!t.empty()) {
            switch (t[0]) {
            case 'T':
            case 't':
            case 'Y':
            case 'y':
                stored = 'T';
                break;
            case 'F':
            case 'f':
            case 'N':
            case 'n':
                stored = 'F';
                break;
            default:
                fail(position, "\"" + std::string(t) + "\" is not a logical value");
            }
        }
        *at(position) = stored;
        return;
    }
    default:
        fail(position, "a memo or binary field is not set as text here");
    }
}

std::optional<double> RecordBuffer::number(int position) const {
    const FieldDescriptor& f = field(position);
    if (!isNumericType(f.type)) {
        fail(position, "not a numeric field");
    }
    const std::string_view t = trim(raw(position));
    if (t.empty()) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size()) {
        // Other programs write '*' for a value that did not fit; it has no number.
        return std::nullopt;
    }
    return value;
}

void RecordBuffer::setNumber(int position, std::optional<double> value) {
    const FieldDescriptor& f = field(position);
    if (!isNumericType(f.type)) {
        fail(position, "not a numeric field");
    }
    if (!value) {
        fill(position, {});
        return;
    }
    if (!std::isfinite(*value)) {
        fail(position, "the value is not a finite number");
    }
    double v = *value == 0 ? 0.0 : *value; // no "-0.00"
    char buffer[400];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, f.decimals);
    if (ec != std::errc()) {
        fail(position, "the value cannot be written");
    }
    std::string_view formatted(buffer, static_cast<std::size_t>(end - buffer));
    if (formatted.find_first_of("123456789") == std::string_view::npos && formatted[0] == '-') {
        formatted.remove_prefix(1); // a tiny negative value rounded to zero
    }
    fill(position, formatted);
}

std::optional<std::chrono::year_month_day> RecordBuffer::date(int position) const {
    const FieldDescriptor& f = field(position);
    if (f.type != 'D') {
        fail(position, "not a date field");
    }
    const std::string_view r = raw(position);
    if (isBlankDate(r)) {
        return std::nullopt;
    }
    const auto date = parseDate(r);
    if (!date) {
        fail(position, "damaged date \"" + std::string(r) + "\"", EngineError::Reason::Damaged);
    }
    return date;
}

void RecordBuffer::setDate(int position, std::optional<std::chrono::year_month_day> date) {
    const FieldDescriptor& f = field(position);
    if (f.type != 'D') {
        fail(position, "not a date field");
    }
    if (!date) {
        fill(position, {});
        return;
    }
    const int year = int(date->year());
    if (!date->ok() || year < 0 || year > 9999) {
        fail(position, "the date cannot be stored");
    }
    char buffer[9];
    std::snprintf(buffer, sizeof buffer, "%04d%02u%02u", year, unsigned(date->month()),
                  unsigned(date->day()));
    fill(position, std::string_view(buffer, 8));
}

bool RecordBuffer::isEmpty(int position) const {
    const FieldDescriptor& f = field(position);
    switch (f.type) {
    case 'D':
        return isBlankDate(raw(position));
    case 'L':
        return text(position).empty();
    case 'M':
    case 'B':
        return memoBlock(position) == 0;
    default:
        return trim(raw(position)).empty();
    }
}

std::uint32_t RecordBuffer::memoBlock(int position) const {
    return parseMemoBlock(raw(position), tableName_, field(position));
}

void RecordBuffer::setMemoBlock(int position, std::uint32_t block) {
    fill(position, block == 0 ? std::string() : std::to_string(block));
}

} // namespace shelfwise::engine
