#pragma once

// TFilterList: the conditions a record must meet, at most one per field. The program evaluates
// them itself, record by record, and writes the outcome into the record's mark field, which the
// filtered sort index then orders by.

#include "db/IndexManager.h"
#include "engine/Table.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::search {

enum class FilterOperator : std::uint8_t {
    Less,
    LessOrEqual,
    Equal,
    GreaterOrEqual,
    Greater,
    Between,
    OneOf
};
inline constexpr int FilterOperatorCount = 7;

// Data-type codes of a condition; any other code makes the condition count as met.
inline constexpr std::uint8_t FilterTextType = 1;
inline constexpr std::uint8_t FilterIntegerType = 3;
inline constexpr std::uint8_t FilterFloatType = 6;
inline constexpr std::uint8_t FilterCurrencyType = 7;
inline constexpr std::uint8_t FilterBcdType = 8;
inline constexpr std::uint8_t FilterDateType = 9;

// The code a condition on the table's field gets; 0 for a field no condition is set on (memo,
// picture, logical).
std::uint8_t FilterTypeOf(const engine::FieldDescriptor& field);

// A number typed in the locale's form (thousands separators dropped); none when it is not one.
std::optional<long double> ReadFilterNumber(std::string_view text);
// A date typed as numbers in the order of the filter date format (0 month/day/year,
// 1 day/month/year, 2 year/month/day, any other month/day/year); a year of one or two digits
// lies in the current century. None when it is not one.
std::optional<std::chrono::sys_days> ReadFilterDate(std::string_view text, int dateFormat);
// The conditions of date fields keep their dates month/day/year whatever the date format, so a
// new format never reads them in another order. These convert between that form and the one
// shown; a text that names no date is returned as it is.
std::string StoredDateText(std::string_view shown, int dateFormat);
std::string ShownDateText(std::string_view stored, int dateFormat);

// One condition.
struct TFilter {
    std::uint8_t FieldPosition = 0;
    std::uint8_t FieldType = 0;
    bool Undefined = true; // no condition entered yet: evaluation skips it
    FilterOperator Operator = FilterOperator::Less;
    std::string Value1; // upper-cased (a-z)
    std::string Value2;
    std::vector<std::string> ValueList; // "One Of", as entered

    // Derived when the entry is prepared, never stored.
    bool IsNumeric = false; // the values read as numbers
    bool IsDate = false;    // they read as dates instead
    long double Number1 = 0, Number2 = 0;
    int Date1 = 0, Date2 = 0; // day numbers
    std::vector<std::string> UpperList;
    std::vector<long double> ListNumbers;
    std::vector<int> ListDates;
};

struct TApplyResult {
    std::uint32_t Passed = 0;  // records marked as passing
    std::uint32_t Skipped = 0; // records another user held; their marks stay as they were
    bool Stopped = false;
};

class TFilterList {
public:
    TFilterList() = default;
    TFilterList(const TFilterList&) = delete;
    TFilterList& operator=(const TFilterList&) = delete;

    int Count() const { return static_cast<int>(entries_.size()); }
    // None for an index out of range.
    const TFilter* Items(int index) const;
    int IndexOfField(int position) const;
    bool HasDefined() const;

    // Appends an undefined condition for the field, unless it has one; the index of its entry.
    int AddField(int position, std::uint8_t fieldType);
    void Delete(int index);
    void Clear();
    // Enters the condition: values upper-cased, derived values prepared. A date field's values
    // come month/day/year (StoredDateText).
    void Define(int index, std::string_view value1, std::string_view value2, std::uint8_t fieldType,
                FilterOperator op, std::vector<std::string> valueList = {});

    // The order in which texts are read as dates; re-prepares every condition.
    void SetDateFormat(int dateFormat);
    int DateFormat() const { return dateFormat_; }

    // Replaces the conditions by those of a filter file, but only once the whole file has been
    // read: a missing, cut short or damaged file returns false and changes nothing. With a
    // table, conditions on positions the table lacks, on fields that take none, or repeating a
    // position, are dropped, and each takes the code of its field.
    bool LoadFromFile(const std::filesystem::path& file, const engine::Table* table = nullptr);
    // Writes the whole file or, on failure, leaves the old one.
    bool SaveToFile(const std::filesystem::path& file) const;

    // Does the current record of the table meet every defined condition?
    bool Passes(const engine::Table& table) const;

    // While on, every post through the attached table marks the record; while off (a non-stop
    // Find's marks are shown) edited records keep their marks. New records and records whose
    // mark is blank are marked either way, so none falls out of both filtered lists.
    void SetEvaluation(bool on) { evaluationOn_ = on; }
    bool EvaluationOn() const { return evaluationOn_; }
    // Makes BeforePostEvaluate the table's before-post hook (the record table and the edit
    // cursor both post records); Detach lets go of every such table. Either may go first: a
    // table that outlives the list finds its hook doing nothing.
    void AttachTo(engine::Table& table);
    void Detach();
    // The record being posted through `table` (edit or insert state).
    void BeforePostEvaluate(engine::Table& table);

    // Marks every record of the table in natural order, "2" passing and "0" failing (every
    // record "2" with no condition), and switches evaluation on. The table is left in natural
    // order without a range. `progress` gets the percentage done between stretches of records,
    // with the table free, and returns false to stop there.
    TApplyResult ApplyToAll(engine::Table& table,
                            const std::function<bool(int percent)>& progress = {});

private:
    void Prepare(TFilter& entry) const;

    std::vector<TFilter> entries_;
    int dateFormat_ = 0;
    bool evaluationOn_ = true;
    bool applying_ = false;
    std::vector<engine::Table*> attached_;
    // The hooks hold it weakly: once the list is gone they do nothing.
    std::shared_ptr<TFilterList*> alive_ = std::make_shared<TFilterList*>(this);
};

// Is the table's current record still in this user's selection under the scope? Destructive
// commands on "the selected records" ask it right before acting on each record, since another
// program may have marked the shared table with its own filter since.
bool StillSelected(const TFilterList& filter, const engine::Table& table, db::FilterState scope);

} // namespace shelfwise::search
