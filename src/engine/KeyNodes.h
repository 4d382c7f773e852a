#pragma once

#include "engine/KeyDecimal.h"
#include "engine/KeyExpression.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>

namespace shelfwise::engine {

// Evaluation trees of key expressions, one base per result type. Character nodes have a
// length fixed at compile time and always append exactly that many bytes.
class CharNode {
public:
    explicit CharNode(std::size_t length) : length_(length) {}
    virtual ~CharNode() = default;
    std::size_t length() const { return length_; }
    virtual void append(const RecordSource& record, std::string& out) const = 0;

private:
    std::size_t length_;
};

class NumberNode {
public:
    virtual ~NumberNode() = default;
    virtual KeyDecimal value(const RecordSource& record) const = 0;
};

class DateNode {
public:
    virtual ~DateNode() = default;
    // Julian day number, 0 for the blank date.
    virtual std::int64_t day(const RecordSource& record) const = 0;
};

// A memo field: only MLINE takes one.
struct MemoField {
    std::size_t index = 0;
};

using CharPtr = std::unique_ptr<CharNode>;
using NumberPtr = std::unique_ptr<NumberNode>;
using DatePtr = std::unique_ptr<DateNode>;
using KeyNode = std::variant<CharPtr, NumberPtr, DatePtr, MemoField>;

// MLINE wraps memo lines at this width and pads its result to it.
constexpr std::size_t kMemoLineWidth = 50;

namespace keynodes {

CharPtr characterField(std::size_t index, std::size_t width);
// Logical fields read as one character: "T", "F", or a blank when unset.
CharPtr logicalField(std::size_t index);
NumberPtr numberField(std::size_t index);
DatePtr dateField(std::size_t index);

CharPtr text(std::string value);
NumberPtr number(const KeyDecimal& value);
DatePtr date(std::int64_t day);

CharPtr upper(CharPtr argument);
// 1-based start; the result has `length` bytes, blank-padded past the argument's end.
CharPtr substr(CharPtr argument, std::size_t start, std::size_t length);
CharPtr mline(MemoField memo, NumberPtr line);
CharPtr str(NumberPtr argument, int width, int decimals);
CharPtr dtos(DatePtr argument);
CharPtr concat(CharPtr left, CharPtr right);

NumberPtr add(NumberPtr left, NumberPtr right);
NumberPtr subtract(NumberPtr left, NumberPtr right);
NumberPtr negate(NumberPtr argument);
// Days from `right` to `left`; a blank date counts as day 0, so
// {12/31/3099}-blank sorts after every real date.
NumberPtr dayDifference(DatePtr left, DatePtr right);
// date + days (or - days when `backwards`); a blank date stays blank.
DatePtr shiftDate(DatePtr date, NumberPtr days, bool backwards);
} // namespace keynodes
} // namespace shelfwise::engine
