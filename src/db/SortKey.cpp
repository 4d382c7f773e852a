#include "db/SortKey.h"

#include "db/RecordSchema.h"

#include <algorithm>

namespace shelfwise::db {

namespace {

// Longest key of one field, and the room of the first part of a two-field key.
constexpr int kSingleRoom = 99;
constexpr int kFirstPartRoom = 59;
constexpr int kNumberWidth = 20;
constexpr int kAscendingDateWidth = 8;   // DTOS
constexpr int kDescendingDateWidth = 10; // STR(..., 10, 0)

enum class Kind { Text, Memo, Number, Date, Other };

Kind kindOf(const engine::FieldList& fields, int position) {
    if (position < 0 || position >= static_cast<int>(fields.size())) {
        return Kind::Other;
    }
    const char type = fields[static_cast<std::size_t>(position)].type;
    if (type == 'C') {
        return Kind::Text;
    }
    if (type == 'M') {
        return Kind::Memo;
    }
    if (type == 'D') {
        return Kind::Date;
    }
    return IsNumericType(type) ? Kind::Number : Kind::Other;
}

bool isText(Kind kind) {
    return kind == Kind::Text || kind == Kind::Memo;
}

// Numeric and date keys express descending order by a complement inside the key.
std::string numberKey(const std::string& name, bool descending, int width) {
    if (descending) {
        return "STR(999999999999999999-" + name + ", 20, 4)";
    }
    return "STR(" + name + ", " + std::to_string(width) + ", 4)";
}

std::string dateKey(const std::string& name, bool descending) {
    return descending ? "STR({12/31/3099}-" + name + ", 10, 0)" : "DTOS(" + name + ")";
}

std::string singleKey(const engine::FieldList& fields, int position, bool descending) {
    const Kind kind = kindOf(fields, position);
    if (kind == Kind::Other) {
        return {};
    }
    const engine::FieldDescriptor& f = fields[static_cast<std::size_t>(position)];
    switch (kind) {
    case Kind::Text:
        return f.width > kSingleRoom
                   ? "UPPER(SUBSTR(" + f.name + ", 1, " + std::to_string(kSingleRoom) + "))"
                   : "UPPER(" + f.name + ")";
    case Kind::Memo:
        return "UPPER(MLINE(" + f.name + ", 1))";
    case Kind::Number:
        return numberKey(f.name, descending, kNumberWidth);
    case Kind::Date:
        return dateKey(f.name, descending);
    case Kind::Other:
        break;
    }
    return {};
}

struct Part {
    std::string key;
    int width = 0;
};

// One part of a two-field key, at most `room` characters wide. Text is upper-cased whatever
// its width, so both parts sort without regard to case, as single-field keys and the letter
// ranges do.
Part fieldKey(const engine::FieldList& fields, int position, bool descending, int room) {
    const Kind kind = kindOf(fields, position);
    if (kind == Kind::Other) {
        return {};
    }
    const engine::FieldDescriptor& f = fields[static_cast<std::size_t>(position)];
    const std::string r = std::to_string(room);
    switch (kind) {
    case Kind::Text:
        if (f.width > room) {
            return {"UPPER(SUBSTR(" + f.name + ", 1, " + r + "))", room};
        }
        return {"UPPER(" + f.name + ")", f.width};
    case Kind::Memo:
        return {"UPPER(SUBSTR(MLINE(" + f.name + ", 1), 1, " + r + "))", room};
    case Kind::Number: {
        const int width = std::min(room, kNumberWidth);
        return {numberKey(f.name, descending, width), width};
    }
    case Kind::Date:
        return {dateKey(f.name, descending),
                descending ? kDescendingDateWidth : kAscendingDateWidth};
    case Kind::Other:
        break;
    }
    return {};
}

} // namespace

SortKey BuildSortKey(const engine::FieldList& fields, const SortValues& sort) {
    SortKey key;
    const int p = sort.PrimaryField;
    const int s = sort.SecondaryField;
    if (s < FirstDataField || s == p) {
        key.Expression = singleKey(fields, p, sort.PrimaryDescending);
        if (!key.Expression.empty()) {
            key.Options = ixExpression;
            if (sort.PrimaryDescending && isText(kindOf(fields, p))) {
                key.Options |= ixDescending;
            }
        }
    } else {
        bool dp = sort.PrimaryDescending;
        bool ds = sort.SecondaryDescending;
        const bool pText = isText(kindOf(fields, p));
        const bool sText = isText(kindOf(fields, s));
        key.Options = ixExpression;
        // A tag has one direction: text takes it from the option, and the other field's
        // direction is turned so that it still reads as chosen.
        if (pText && sText) {
            ds = dp;
            if (dp) {
                key.Options |= ixDescending;
            }
        } else if (pText) {
            if (dp) {
                key.Options |= ixDescending;
                ds = !ds;
            }
        } else if (sText && ds) {
            key.Options |= ixDescending;
            dp = !dp;
        }
        const Part first = fieldKey(fields, p, dp, kFirstPartRoom);
        const Part second = fieldKey(fields, s, ds, kSingleRoom - first.width);
        if (first.key.empty() || second.key.empty()) {
            key.Expression = first.key + second.key;
        } else {
            key.Expression = first.key + "+" + second.key;
        }
        if (key.Expression.empty()) {
            key.Options = 0;
        }
    }
    if (!key.Expression.empty() && MarkField < static_cast<int>(fields.size())) {
        key.FilteredExpression = fields[MarkField].name + "+" + key.Expression;
        key.FilteredOptions = key.Options;
    }
    return key;
}

} // namespace shelfwise::db
