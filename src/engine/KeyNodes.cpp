#include "engine/KeyNodes.h"

#include "engine/KeyCalendar.h"

#include <algorithm>

namespace shelfwise::engine::keynodes {

namespace {

// Windows-1252 upper case: ASCII letters, the accented letters à..þ (not ÷), š, œ, ž, ÿ.
unsigned char upperCase(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<unsigned char>(c - 0x20);
    }
    switch (c) {
    case 0x9A:
    case 0x9C:
    case 0x9E:
        return static_cast<unsigned char>(c - 0x10);
    case 0xFF:
        return 0x9F;
    default:
        return c;
    }
}

// Appends exactly `length` bytes of `value`, blank-padded.
void appendFixed(std::string& out, std::string_view value, std::size_t length) {
    value = value.substr(0, length);
    out.append(value);
    out.append(length - value.size(), ' ');
}

// Line `line` (1-based) of a memo wrapped at kMemoLineWidth: lines end at CR, LF or CR LF;
// a longer line breaks at its last blank within the width (the blanks there are dropped) or,
// without one, at the width; trailing blanks are trimmed.
std::string_view memoLine(std::string_view text, std::int64_t line) {
    const auto afterBreak = [&](std::size_t at) {
        if (at < text.size() && (text[at] == '\r' || text[at] == '\n')) {
            return at + (text.compare(at, 2, "\r\n") == 0 ? 2 : 1);
        }
        return at;
    };
    std::size_t position = 0;
    for (std::int64_t number = 1; position < text.size(); ++number) {
        const auto lineEnd = std::min(text.find_first_of("\r\n", position), text.size());
        std::string_view current = text.substr(position, lineEnd - position);
        std::size_t next = afterBreak(lineEnd);
        if (current.size() > kMemoLineWidth) {
            const auto blank = current.substr(0, kMemoLineWidth + 1).rfind(' ');
            const std::size_t cut =
                blank == std::string_view::npos || blank == 0 ? kMemoLineWidth : blank;
            current = current.substr(0, cut);
            // The blanks at a wrap, and a line break right after them, end this line.
            next = afterBreak(std::min(text.find_first_not_of(' ', position + cut), lineEnd));
        }
        if (number == line) {
            const auto last = current.find_last_not_of(' ');
            return current.substr(0, last == std::string_view::npos ? 0 : last + 1);
        }
        position = next;
    }
    return {};
}

class CharacterField : public CharNode {
public:
    CharacterField(std::size_t index, std::size_t width) : CharNode(width), index_(index) {}
    void append(const RecordSource& record, std::string& out) const override {
        appendFixed(out, record.field(index_), length());
    }

private:
    std::size_t index_;
};

class LogicalField : public CharNode {
public:
    explicit LogicalField(std::size_t index) : CharNode(1), index_(index) {}
    void append(const RecordSource& record, std::string& out) const override {
        const auto value = record.field(index_);
        const char c = value.empty() ? ' ' : value.front();
        out += std::string_view("TtYy").find(c) != std::string_view::npos   ? 'T'
               : std::string_view("FfNn").find(c) != std::string_view::npos ? 'F'
                                                                            : ' ';
    }

private:
    std::size_t index_;
};

class NumberField : public NumberNode {
public:
    explicit NumberField(std::size_t index) : index_(index) {}
    KeyDecimal value(const RecordSource& record) const override {
        return KeyDecimal::parse(record.field(index_));
    }

private:
    std::size_t index_;
};

class DateField : public DateNode {
public:
    explicit DateField(std::size_t index) : index_(index) {}
    std::int64_t day(const RecordSource& record) const override {
        return keycalendar::fromDbf(record.field(index_));
    }

private:
    std::size_t index_;
};

class Text : public CharNode {
public:
    explicit Text(std::string value) : CharNode(value.size()), value_(std::move(value)) {}
    void append(const RecordSource&, std::string& out) const override { out += value_; }

private:
    std::string value_;
};

class Number : public NumberNode {
public:
    explicit Number(const KeyDecimal& value) : value_(value) {}
    KeyDecimal value(const RecordSource&) const override { return value_; }

private:
    KeyDecimal value_;
};

class Date : public DateNode {
public:
    explicit Date(std::int64_t day) : day_(day) {}
    std::int64_t day(const RecordSource&) const override { return day_; }

private:
    std::int64_t day_;
};

class Upper : public CharNode {
public:
    explicit Upper(CharPtr argument)
        : CharNode(argument->length()), argument_(std::move(argument)) {}
    void append(const RecordSource& record, std::string& out) const override {
        const auto from = out.size();
        argument_->append(record, out);
        std::transform(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(),
                       out.begin() + static_cast<std::ptrdiff_t>(from), [](char c) {
                           return static_cast<char>(upperCase(static_cast<unsigned char>(c)));
                       });
    }

private:
    CharPtr argument_;
};

class Substr : public CharNode {
public:
    Substr(CharPtr argument, std::size_t start, std::size_t length)
        : CharNode(length), argument_(std::move(argument)), start_(start) {}
    void append(const RecordSource& record, std::string& out) const override {
        std::string whole;
        argument_->append(record, whole);
        const std::string_view view(whole);
        appendFixed(out, view.substr(std::min(start_ - 1, view.size())), length());
    }

private:
    CharPtr argument_;
    std::size_t start_;
};

class MemoLine : public CharNode {
public:
    MemoLine(MemoField memo, NumberPtr line)
        : CharNode(kMemoLineWidth), memo_(memo), line_(std::move(line)) {}
    void append(const RecordSource& record, std::string& out) const override {
        const std::string text = record.memo(memo_.index);
        appendFixed(out, memoLine(text, line_->value(record).truncated()), length());
    }

private:
    MemoField memo_;
    NumberPtr line_;
};

class Str : public CharNode {
public:
    Str(NumberPtr argument, int width, int decimals)
        : CharNode(static_cast<std::size_t>(width)), argument_(std::move(argument)),
          decimals_(decimals) {}
    void append(const RecordSource& record, std::string& out) const override {
        out += argument_->value(record).format(static_cast<int>(length()), decimals_);
    }

private:
    NumberPtr argument_;
    int decimals_;
};

class Dtos : public CharNode {
public:
    explicit Dtos(DatePtr argument) : CharNode(8), argument_(std::move(argument)) {}
    void append(const RecordSource& record, std::string& out) const override {
        out += keycalendar::toDtos(argument_->day(record));
    }

private:
    DatePtr argument_;
};

class Concat : public CharNode {
public:
    Concat(CharPtr left, CharPtr right)
        : CharNode(left->length() + right->length()), left_(std::move(left)),
          right_(std::move(right)) {}
    void append(const RecordSource& record, std::string& out) const override {
        left_->append(record, out);
        right_->append(record, out);
    }

private:
    CharPtr left_;
    CharPtr right_;
};

class Sum : public NumberNode {
public:
    Sum(NumberPtr left, NumberPtr right, bool subtract)
        : left_(std::move(left)), right_(std::move(right)), subtract_(subtract) {}
    KeyDecimal value(const RecordSource& record) const override {
        const auto left = left_->value(record);
        const auto right = right_->value(record);
        return subtract_ ? left - right : left + right;
    }

private:
    NumberPtr left_;
    NumberPtr right_;
    bool subtract_;
};

class Negate : public NumberNode {
public:
    explicit Negate(NumberPtr argument) : argument_(std::move(argument)) {}
    KeyDecimal value(const RecordSource& record) const override {
        return -argument_->value(record);
    }

private:
    NumberPtr argument_;
};

class DayDifference : public NumberNode {
public:
    DayDifference(DatePtr left, DatePtr right) : left_(std::move(left)), right_(std::move(right)) {}
    KeyDecimal value(const RecordSource& record) const override {
        return KeyDecimal::fromInteger(left_->day(record) - right_->day(record));
    }

private:
    DatePtr left_;
    DatePtr right_;
};

class ShiftDate : public DateNode {
public:
    ShiftDate(DatePtr date, NumberPtr days, bool backwards)
        : date_(std::move(date)), days_(std::move(days)), backwards_(backwards) {}
    std::int64_t day(const RecordSource& record) const override {
        const auto day = date_->day(record);
        if (day == 0) {
            return 0;
        }
        // Clamped so that absurd offsets cannot overflow; such days format as blanks.
        constexpr std::int64_t kLimit = 100'000'000;
        const auto days = std::clamp(days_->value(record).truncated(), -kLimit, kLimit);
        return std::max<std::int64_t>(0, backwards_ ? day - days : day + days);
    }

private:
    DatePtr date_;
    NumberPtr days_;
    bool backwards_;
};

} // namespace

CharPtr characterField(std::size_t index, std::size_t width) {
    return std::make_unique<CharacterField>(index, width);
}
CharPtr logicalField(std::size_t index) {
    return std::make_unique<LogicalField>(index);
}
NumberPtr numberField(std::size_t index) {
    return std::make_unique<NumberField>(index);
}
DatePtr dateField(std::size_t index) {
    return std::make_unique<DateField>(index);
}

CharPtr text(std::string value) {
    return std::make_unique<Text>(std::move(value));
}
NumberPtr number(const KeyDecimal& value) {
    return std::make_unique<Number>(value);
}
DatePtr date(std::int64_t day) {
    return std::make_unique<Date>(day);
}

CharPtr upper(CharPtr argument) {
    return std::make_unique<Upper>(std::move(argument));
}
CharPtr substr(CharPtr argument, std::size_t start, std::size_t length) {
    return std::make_unique<Substr>(std::move(argument), start, length);
}
CharPtr mline(MemoField memo, NumberPtr line) {
    return std::make_unique<MemoLine>(memo, std::move(line));
}
CharPtr str(NumberPtr argument, int width, int decimals) {
    return std::make_unique<Str>(std::move(argument), width, decimals);
}
CharPtr dtos(DatePtr argument) {
    return std::make_unique<Dtos>(std::move(argument));
}
CharPtr concat(CharPtr left, CharPtr right) {
    return std::make_unique<Concat>(std::move(left), std::move(right));
}

NumberPtr add(NumberPtr left, NumberPtr right) {
    return std::make_unique<Sum>(std::move(left), std::move(right), false);
}
NumberPtr subtract(NumberPtr left, NumberPtr right) {
    return std::make_unique<Sum>(std::move(left), std::move(right), true);
}
NumberPtr negate(NumberPtr argument) {
    return std::make_unique<Negate>(std::move(argument));
}
NumberPtr dayDifference(DatePtr left, DatePtr right) {
    return std::make_unique<DayDifference>(std::move(left), std::move(right));
}
DatePtr shiftDate(DatePtr date, NumberPtr days, bool backwards) {
    return std::make_unique<ShiftDate>(std::move(date), std::move(days), backwards);
}

} // namespace shelfwise::engine::keynodes
