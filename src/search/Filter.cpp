#include "search/Filter.h"

#include "db/RecordSchema.h"
#include "search/Finder.h"
#include "settings/FileBytes.h"
#include "settings/ReadError.h"
#include "settings/ValueStreamReader.h"
#include "settings/ValueStreamWriter.h"

#include <QLocale>
#include <QString>
#include <algorithm>
#include <bitset>
#include <charconv>
#include <climits>
#include <cstdio>

namespace shelfwise::search {

namespace {

using namespace std::chrono;

// Records read under one lock between two progress reports.
constexpr std::uint32_t StretchRecords = 2048;
// Marks written between two flushes of a pass.
constexpr std::uint32_t MarksPerFlush = 500;

// An empty date field counts as earlier than every date.
constexpr int NoDate = INT_MIN;

// A value that is not a date counts as 1 January of the year 01 of the current century.
int FallbackDay() {
    const int century =
        static_cast<int>(year_month_day(floor<days>(system_clock::now())).year()) / 100 * 100;
    return sys_days(year(century + 1) / 1 / 1).time_since_epoch().count();
}

int DayNumber(sys_days day) {
    return static_cast<int>(day.time_since_epoch().count());
}

template <typename T>
bool Compare(FilterOperator op, const T& x, const T& v1, const T& v2, const std::vector<T>& list) {
    switch (op) {
    case FilterOperator::Less:
        return x < v1;
    case FilterOperator::LessOrEqual:
        return x <= v1;
    case FilterOperator::Equal:
        return x == v1;
    case FilterOperator::GreaterOrEqual:
        return x >= v1;
    case FilterOperator::Greater:
        return x > v1;
    case FilterOperator::Between:
        return v1 < x && x < v2;
    case FilterOperator::OneOf:
        return std::ranges::find(list, x) != list.end();
    }
    return true;
}

bool IsNumberType(std::uint8_t type) {
    return type == FilterIntegerType || type == FilterFloatType || type == FilterCurrencyType ||
           type == FilterBcdType;
}

bool ConditionMet(const TFilter& f, const engine::Table& table, int dateFormat) {
    const int position = f.FieldPosition;
    // A condition left over from a table whose field there was of another kind restricts
    // nothing rather than reading the field as what it is not.
    const std::uint8_t kind = FilterTypeOf(table.field(position));
    if (kind != (IsNumberType(f.FieldType) ? FilterFloatType : f.FieldType)) {
        return true;
    }
    if (IsNumberType(f.FieldType)) {
        const auto x = static_cast<long double>(table.number(position));
        return Compare(f.Operator, x, f.Number1, f.Number2, f.ListNumbers);
    }
    if (f.FieldType == FilterDateType) {
        const auto date = table.date(position);
        const int x = date ? DayNumber(sys_days(*date)) : NoDate;
        return Compare(f.Operator, x, f.Date1, f.Date2, f.ListDates);
    }
    if (f.FieldType != FilterTextType) {
        return true;
    }
    const std::string x = UpperCaseAscii(table.text(position));
    if (f.IsNumeric) {
        if (const auto number = ReadFilterNumber(x)) {
            return Compare(f.Operator, *number, f.Number1, f.Number2, f.ListNumbers);
        }
    } else if (f.IsDate) {
        if (const auto date = ReadFilterDate(x, dateFormat)) {
            return Compare(f.Operator, DayNumber(*date), f.Date1, f.Date2, f.ListDates);
        }
    }
    return Compare(f.Operator, x, f.Value1, f.Value2, f.UpperList);
}

// Turns a stored entry into a checked one; false drops it.
bool Checked(TFilter& entry, const engine::Table* table, std::bitset<256>& seen) {
    if (static_cast<int>(entry.Operator) >= FilterOperatorCount) {
        return false;
    }
    if (table == nullptr) {
        return true;
    }
    const int position = entry.FieldPosition;
    if (position < db::FirstDataField || position >= table->fieldCount() || seen.test(position)) {
        return false;
    }
    const std::uint8_t type = FilterTypeOf(table->field(position));
    if (type == 0) {
        return false;
    }
    seen.set(position);
    entry.FieldType = type;
    return true;
}

} // namespace

std::uint8_t FilterTypeOf(const engine::FieldDescriptor& field) {
    switch (field.type) {
    case 'C':
        return FilterTextType;
    case 'N':
    case 'F':
        return FilterFloatType;
    case 'D':
        return FilterDateType;
    default:
        return 0;
    }
}

std::optional<long double> ReadFilterNumber(std::string_view text) {
    const QLocale locale;
    QString digits = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    digits.remove(locale.groupSeparator());
    bool ok = false;
    const double value = locale.toDouble(digits, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return static_cast<long double>(value);
}

std::optional<sys_days> ReadFilterDate(std::string_view text, int dateFormat) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    int parts[3] = {};
    int widths[3] = {};
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (at >= text.size() || (text[at] != '/' && text[at] != '-' && text[at] != '.')) {
                return std::nullopt;
            }
            ++at;
        }
        const char* begin = text.data() + at;
        const auto [end, error] = std::from_chars(begin, text.data() + text.size(), parts[i]);
        if (error != std::errc{} || end == begin || end - begin > 4) {
            return std::nullopt;
        }
        widths[i] = static_cast<int>(end - begin);
        at = static_cast<std::size_t>(end - text.data());
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    // Places of month, day and year in the text.
    int m = 0, d = 1, y = 2;
    if (dateFormat == 1) {
        m = 1, d = 0;
    } else if (dateFormat == 2) {
        y = 0, m = 1, d = 2;
    }
    int fullYear = parts[y];
    if (widths[y] <= 2) {
        const int thisYear =
            static_cast<int>(year_month_day(floor<days>(system_clock::now())).year());
        fullYear += thisYear / 100 * 100;
    } else if (widths[y] != 4) {
        return std::nullopt;
    }
    const year_month_day date{year(fullYear), month(static_cast<unsigned>(parts[m])),
                              day(static_cast<unsigned>(parts[d]))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return sys_days(date);
}

namespace {

std::string DateWritten(sys_days day, int dateFormat) {
    const year_month_day date(day);
    char text[16];
    const unsigned m = static_cast<unsigned>(date.month());
    const unsigned d = static_cast<unsigned>(date.day());
    const int y = static_cast<int>(date.year());
    if (dateFormat == 1) {
        std::snprintf(text, sizeof text, "%02u/%02u/%04d", d, m, y);
    } else if (dateFormat == 2) {
        std::snprintf(text, sizeof text, "%04d/%02u/%02u", y, m, d);
    } else {
        std::snprintf(text, sizeof text, "%02u/%02u/%04d", m, d, y);
    }
    return text;
}

std::string Converted(std::string_view text, int from, int to) {
    const auto date = ReadFilterDate(text, from);
    return date ? DateWritten(*date, to) : std::string(text);
}

} // namespace

std::string StoredDateText(std::string_view shown, int dateFormat) {
    return Converted(shown, dateFormat, 0);
}

std::string ShownDateText(std::string_view stored, int dateFormat) {
    return Converted(stored, 0, dateFormat);
}

const TFilter* TFilterList::Items(int index) const {
    return index >= 0 && index < Count() ? &entries_[static_cast<std::size_t>(index)] : nullptr;
}

int TFilterList::IndexOfField(int position) const {
    for (int i = 0; i < Count(); ++i) {
        if (entries_[static_cast<std::size_t>(i)].FieldPosition == position) {
            return i;
        }
    }
    return -1;
}

bool TFilterList::HasDefined() const {
    return std::ranges::any_of(entries_, [](const TFilter& f) { return !f.Undefined; });
}

int TFilterList::AddField(int position, std::uint8_t fieldType) {
    if (const int existing = IndexOfField(position); existing >= 0) {
        return existing;
    }
    TFilter entry;
    entry.FieldPosition = static_cast<std::uint8_t>(position);
    entry.FieldType = fieldType;
    entries_.push_back(std::move(entry));
    return Count() - 1;
}

void TFilterList::Delete(int index) {
    if (index >= 0 && index < Count()) {
        entries_.erase(entries_.begin() + index);
    }
}

void TFilterList::Clear() {
    entries_.clear();
}

void TFilterList::Define(int index, std::string_view value1, std::string_view value2,
                         std::uint8_t fieldType, FilterOperator op,
                         std::vector<std::string> valueList) {
    if (index < 0 || index >= Count()) {
        return;
    }
    TFilter& entry = entries_[static_cast<std::size_t>(index)];
    entry.Undefined = false;
    entry.Value1 = UpperCaseAscii(value1);
    entry.Value2 = UpperCaseAscii(value2);
    entry.FieldType = fieldType;
    entry.Operator = op;
    entry.ValueList = std::move(valueList);
    Prepare(entry);
}

void TFilterList::SetDateFormat(int dateFormat) {
    dateFormat_ = dateFormat;
    for (TFilter& entry : entries_) {
        Prepare(entry);
    }
}

void TFilterList::Prepare(TFilter& entry) const {
    entry.Value1 = UpperCaseAscii(entry.Value1);
    entry.Value2 = UpperCaseAscii(entry.Value2);
    // A date field's values are stored in one order; a text's follow the date format, as the
    // texts of the records they are compared with do.
    const int order = entry.FieldType == FilterDateType ? 0 : dateFormat_;
    const int fallback = FallbackDay();
    const auto number = [](const std::string& v) { return ReadFilterNumber(v); };
    const auto date = [order](const std::string& v) { return ReadFilterDate(v, order); };
    const auto dayOf = [&](const std::string& v) {
        const auto d = date(v);
        return d ? DayNumber(*d) : fallback;
    };
    entry.Number1 = number(entry.Value1).value_or(0);
    entry.Number2 = number(entry.Value2).value_or(0);
    entry.Date1 = dayOf(entry.Value1);
    entry.Date2 = dayOf(entry.Value2);
    entry.IsNumeric = false;
    entry.IsDate = false;
    if (entry.Operator == FilterOperator::Between) {
        entry.IsNumeric = number(entry.Value1) && number(entry.Value2);
        entry.IsDate = !entry.IsNumeric && date(entry.Value1) && date(entry.Value2);
    } else if (entry.Operator != FilterOperator::OneOf) {
        entry.IsNumeric = number(entry.Value1).has_value();
        entry.IsDate = !entry.IsNumeric && date(entry.Value1);
    }
    entry.UpperList.clear();
    entry.ListNumbers.clear();
    entry.ListDates.clear();
    for (const std::string& line : entry.ValueList) {
        entry.UpperList.push_back(UpperCaseAscii(line));
        entry.ListNumbers.push_back(number(line).value_or(0));
        entry.ListDates.push_back(dayOf(line));
    }
}

bool TFilterList::LoadFromFile(const std::filesystem::path& file, const engine::Table* table) {
    const auto bytes = settings::ReadFileBytes(file);
    if (!bytes) {
        return false;
    }
    std::vector<TFilter> loaded;
    std::bitset<256> seen;
    try {
        settings::ValueStreamReader in(*bytes);
        in.ReadListBegin();
        while (!in.EndOfList()) {
            TFilter entry;
            entry.FieldPosition = in.ReadByte();
            entry.FieldType = in.ReadByte();
            entry.Undefined = in.ReadByte() != 0;
            entry.Operator = static_cast<FilterOperator>(in.ReadByte());
            entry.Value1 = in.ReadString();
            entry.Value2 = in.ReadString();
            in.ReadListBegin();
            while (!in.EndOfList()) {
                entry.ValueList.push_back(in.ReadString());
            }
            in.ReadListEnd();
            if (Checked(entry, table, seen)) {
                Prepare(entry);
                loaded.push_back(std::move(entry));
            }
        }
        in.ReadListEnd();
    } catch (const settings::ReadError&) {
        return false;
    }
    entries_ = std::move(loaded);
    return true;
}

bool TFilterList::SaveToFile(const std::filesystem::path& file) const {
    settings::ValueStreamWriter out;
    out.WriteListBegin();
    for (const TFilter& entry : entries_) {
        out.WriteByte(entry.FieldPosition);
        out.WriteByte(entry.FieldType);
        out.WriteByte(entry.Undefined ? 1 : 0);
        out.WriteByte(static_cast<std::uint8_t>(entry.Operator));
        out.WriteString(entry.Value1);
        out.WriteString(entry.Value2);
        out.WriteListBegin();
        for (const std::string& line : entry.ValueList) {
            out.WriteString(line);
        }
        out.WriteListEnd();
    }
    out.WriteListEnd();
    return settings::ReplaceFile(file, out.Bytes());
}

bool TFilterList::Passes(const engine::Table& table) const {
    const int fieldCount = table.fieldCount();
    return std::ranges::all_of(entries_, [&](const TFilter& f) {
        return f.Undefined || f.FieldPosition >= fieldCount || ConditionMet(f, table, dateFormat_);
    });
}

void TFilterList::AttachTo(engine::Table& table) {
    if (std::ranges::find(attached_, &table) == attached_.end()) {
        attached_.push_back(&table);
    }
    table.setBeforePost([alive = std::weak_ptr<TFilterList*>(alive_)](engine::Table& posting) {
        if (const auto filter = alive.lock()) {
            (*filter)->BeforePostEvaluate(posting);
        }
    });
}

void TFilterList::Detach() {
    for (engine::Table* table : attached_) {
        table->setBeforePost({});
    }
    attached_.clear();
}

void TFilterList::BeforePostEvaluate(engine::Table& table) {
    if (applying_ || table.fieldCount() <= db::MarkField) {
        return;
    }
    const bool unmarked =
        table.state() == engine::Table::State::Insert || table.isEmpty(db::MarkField);
    if (evaluationOn_ || unmarked) {
        table.setText(db::MarkField, Passes(table) ? db::MarkPassed : db::MarkFailed);
    }
}

TApplyResult TFilterList::ApplyToAll(engine::Table& table,
                                     const std::function<bool(int percent)>& progress) {
    // The marks below are written here; the hook would only evaluate them again.
    struct Applying {
        bool& flag;
        explicit Applying(bool& f) : flag(f) { flag = true; }
        ~Applying() { flag = false; }
    } applying(applying_);
    evaluationOn_ = true;
    table.cancelRange();
    table.setTag("");
    table.first();
    const std::uint64_t total = std::max<std::uint32_t>(table.recordCount(), 1);
    std::uint64_t done = 0;
    TApplyResult result;
    // Records of a stretch whose mark must change, and whether they pass.
    std::vector<std::pair<std::uint32_t, bool>> changes;
    WriteInBatch(table, MarksPerFlush, [&] {
        while (table.recordNumber() != 0 && !table.atEnd()) {
            if (progress && !progress(static_cast<int>(done * 100 / total))) {
                result.Stopped = true;
                break;
            }
            changes.clear();
            done += table.scan(StretchRecords, [&] {
                const bool pass = Passes(table);
                if (table.text(db::MarkField) != (pass ? db::MarkPassed : db::MarkFailed)) {
                    changes.emplace_back(table.recordNumber(), pass);
                } else {
                    result.Passed += pass ? 1 : 0;
                }
                return true;
            });
            const bool atEnd = table.atEnd();
            const std::uint32_t resumeAt = table.recordNumber();
            const MarksWritten written = WriteMarks(table, changes);
            result.Passed += written.Passed;
            result.Skipped += written.Held;
            if (atEnd) {
                break;
            }
            // Back where the stretch ended; when another user deleted that record, on the next
            // live one.
            std::uint32_t next = resumeAt;
            table.last();
            const std::uint32_t last = table.recordNumber();
            while (next <= last && !table.goToRecord(next)) {
                ++next;
            }
            if (next > last) {
                break;
            }
        }
        return true;
    });
    if (progress && !result.Stopped) {
        progress(100);
    }
    table.first();
    return result;
}

bool StillSelected(const TFilterList& filter, const engine::Table& table, db::FilterState scope) {
    switch (scope) {
    case db::FilterState::fsNormal:
        return filter.Passes(table);
    case db::FilterState::fsReversed:
        return !filter.Passes(table);
    case db::FilterState::fsFilterOff:
        break;
    }
    return true;
}

} // namespace shelfwise::search
