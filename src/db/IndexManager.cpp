#include "db/IndexManager.h"

#include "db/Database.h"
#include "db/FailureLog.h"
#include "db/LetterTabPanel.h"
#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"
#include "settings/FileBytes.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace shelfwise::db {

namespace {

using engine::EngineError;
using engine::KeyRecord;
using engine::Table;

// Bounds of the letter ranges. The top bound goes through the key's UPPER like the records
// do, so it is the highest byte an upper-cased key can hold (0xFF itself upper-cases to 0x9F
// and would leave accented capitals outside letter "Z").
constexpr char kBottom = '\x01';
constexpr char kTop = '\xF7';

std::uint8_t tagOptions(const engine::TagInfo& tag) {
    return static_cast<std::uint8_t>(ixExpression | (tag.descending ? ixDescending : 0));
}

} // namespace

TIndex::TIndex(TDatabase& database, const settings::Settings& settings)
    : database_(database), settings_(settings) {}

void TIndex::ResetSort() {
    Sort = {};
    key_ = {};
    SaveSort();
}

std::filesystem::path TIndex::SortStatePath() const {
    return SortStatePathOf(settings_.DatabaseDir, settings_.DataFileName);
}

std::filesystem::path TIndex::SortStatePathOf(const std::filesystem::path& directory,
                                              const std::string& dataFileName) {
    return (directory / dataFileName).replace_extension("idx");
}

void TIndex::ReadSortState() {
    ResetSort();
    const auto bytes = settings::ReadFileBytes(SortStatePath());
    if (!bytes || bytes->size() < 4) {
        return; // missing, unreadable or short: record number order
    }
    Sort.PrimaryField = (*bytes)[0];
    Sort.PrimaryDescending = (*bytes)[1] != 0;
    Sort.SecondaryField = (*bytes)[2];
    Sort.SecondaryDescending = (*bytes)[3] != 0;
}

bool TIndex::WriteSortState() const {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(Sort.PrimaryField),
                                   static_cast<std::uint8_t>(Sort.PrimaryDescending ? 1 : 0),
                                   static_cast<std::uint8_t>(Sort.SecondaryField),
                                   static_cast<std::uint8_t>(Sort.SecondaryDescending ? 1 : 0)};
    return settings::ReplaceFile(SortStatePath(), bytes);
}

void TIndex::BuildKey() {
    engine::FieldList fields;
    if (table_ != nullptr && table_->isOpen()) {
        for (int i = 0; i < table_->fieldCount(); ++i) {
            fields.push_back(table_->field(i));
        }
    }
    key_ = BuildSortKey(fields, Sort);
}

std::string TIndex::PrepareIndex(Table& table) {
    table_ = &table;
    // Field and tag definitions come from the table file, so a closed table is opened
    // shared for a moment to read them.
    const bool wasOpen = table.isOpen();
    if (!wasOpen) {
        table.open();
    }
    BuildKey();
    const std::vector<engine::TagInfo> tags = table.tags();
    if (!wasOpen) {
        table.close();
    }

    const std::string& expression = Filtered ? key_.FilteredExpression : key_.Expression;
    const std::uint8_t options = Filtered ? key_.FilteredOptions : key_.Options;
    if (!key_.Expression.empty()) {
        for (const engine::TagInfo& tag : tags) {
            if (tag.expression == expression && tagOptions(tag) == options) {
                MarkTagUsed(tag.name);
                return tag.name;
            }
        }
    }
    const std::string prefix = Filtered ? "IDXF" : "IDX";
    // The number is the count of tags; a name left over after tags were deleted out of
    // order is skipped rather than refused.
    std::size_t number = tags.size();
    auto taken = [&tags](const std::string& name) {
        for (const engine::TagInfo& tag : tags) {
            if (tag.name == name) {
                return true;
            }
        }
        return false;
    };
    while (taken(prefix + std::to_string(number))) {
        ++number;
    }
    const std::string name = prefix + std::to_string(number);
    if (key_.Expression.empty()) {
        return name;
    }

    const bool wasExclusive = table.exclusive();
    const std::string tag = table.tag();
    table.close();
    table.setTag("");
    if (!database_.OpenTable(table, table.fileName(), true)) {
        table.setExclusive(wasExclusive);
        table.setTag(tag);
        return {};
    }
    try {
        // The index holds a fixed number of tags: a full one gives up the sort tag of ours
        // that was used least recently.
        if (tags.size() >= MaxTags) {
            if (const auto unused = LeastRecentlyUsedSortTag(tags, tag)) {
                table.deleteTag(*unused);
            }
        }
        table.addTag(name, expression, (options & ixDescending) != 0);
        MarkTagUsed(name);
    } catch (...) {
        table.close();
        table.setExclusive(wasExclusive);
        table.setTag(tag);
        throw;
    }
    table.close();
    table.setExclusive(wasExclusive);
    table.setTag(tag);
    return name;
}

bool TIndex::IsOwnSortTag(const std::string& name) {
    for (const std::string prefix : {"IDXF", "IDX"}) {
        if (name.size() > prefix.size() && name.starts_with(prefix)) {
            const std::string number = name.substr(prefix.size());
            return std::all_of(number.begin(), number.end(),
                               [](unsigned char c) { return std::isdigit(c) != 0; }) &&
                   name != FixedTags[0] && name != FixedTags[1];
        }
    }
    return false;
}

void TIndex::MarkTagUsed(const std::string& name) {
    tagUse_[name] = ++useClock_;
}

std::optional<std::string>
TIndex::LeastRecentlyUsedSortTag(const std::vector<engine::TagInfo>& tags,
                                 const std::string& inUse) const {
    // Tags not used in this session count as older than any used, in the index's order.
    std::optional<std::string> oldest;
    std::uint64_t oldestUse = 0;
    for (const engine::TagInfo& tag : tags) {
        if (!IsOwnSortTag(tag.name) || tag.name == inUse) {
            continue;
        }
        const auto use = tagUse_.find(tag.name);
        const std::uint64_t lastUse = use == tagUse_.end() ? 0 : use->second;
        if (!oldest || lastUse < oldestUse) {
            oldest = tag.name;
            oldestUse = lastUse;
        }
    }
    return oldest;
}

bool TIndex::ApplySort() {
    Table& table = database_.DataTable;
    const std::string remembered = table.tag();
    table.close();
    table.setTag("");
    // Empty while the cause is that the table could not be had exclusively.
    std::string failure;
    try {
        const std::string name = PrepareIndex(table);
        if (!name.empty()) {
            table.setTag(name);
            table.open();
            if (RecountLetters) {
                RecountLetters();
            }
            database_.Fields.ReadDecimals(table);
            return true;
        }
    } catch (const EngineError& error) {
        LogFailure(table, error);
        if (error.reason() != EngineError::Reason::Locked) {
            failure = error.what();
        }
    }
    // Back to the tag that served before; physical order when even that one is gone.
    table.close();
    table.setExclusive(false);
    for (const std::string& tag : {remembered, std::string()}) {
        try {
            table.setTag(tag);
            table.open();
            database_.Fields.ReadDecimals(table);
            break;
        } catch (const EngineError& error) {
            LogFailure(table, error);
        }
    }
    RestoreSort();
    if (!database_.FirstOpen) {
        platform::ShowError(failure.empty()
                                ? "Unable to create Index!\nDatabase may be used by someone "
                                  "else - this function requires Exclusive Database Use."
                                : "Unable to create Index!\n" + failure);
    }
    return false;
}

bool TIndex::ChangeSort(const SortValues& sort) {
    SaveSort();
    Sort = sort;
    if (SortUnchanged()) {
        return true;
    }
    const FilterState filter = Filter;
    const bool filtered = Filtered;
    Filter = FilterState::fsFilterOff;
    Filtered = false;
    if (ApplySort()) {
        return true;
    }
    // The table is back on the previous tag: the filter that tag serves comes back with it.
    RestoreSort();
    Filter = filter;
    Filtered = filtered;
    return false;
}

bool TIndex::ChangeFilter(FilterState state) {
    const FilterState filter = Filter;
    const bool filtered = Filtered;
    Filter = state;
    Filtered = state != FilterState::fsFilterOff;
    if (ApplySort()) {
        return true;
    }
    Filter = filter;
    Filtered = filtered;
    return false;
}

bool TIndex::primaryIsText() const {
    return Sort.PrimaryField < database_.Fields.TextFields.size() &&
           database_.Fields.TextFields.test(Sort.PrimaryField);
}

bool TIndex::LetterTabsActive() const {
    return settings_.LetterTabs == settings::opt::LetterTabs::Use && primaryIsText();
}

bool TIndex::SetLetterRange(Table& table, char letter) {
    if (!table.isOpen()) {
        return false;
    }
    const bool hasTag = !table.tag().empty();
    std::string mark;
    if (Filtered && Filter != FilterState::fsFilterOff) {
        mark = Filter == FilterState::fsNormal ? MarkPassed : MarkFailed;
    }
    const int primary = Sort.PrimaryField;
    if (hasTag && primary >= FirstDataField && primary < table.fieldCount() &&
        table.field(primary).type == 'C' &&
        settings_.LetterTabs != settings::opt::LetterTabs::DontUse) {
        std::string lower = letter == 'A' ? std::string(1, kBottom) : std::string(1, letter);
        std::string upper = letter == 'Z' ? std::string(1, kTop) : std::string{letter, kTop};
        if (Sort.PrimaryDescending) {
            std::swap(lower, upper);
        }
        KeyRecord start;
        KeyRecord end;
        if (!mark.empty()) {
            start.push_back({MarkField, mark});
            end.push_back({MarkField, mark});
        }
        start.push_back({primary, lower});
        end.push_back({primary, upper});
        table.setRangeStart(std::move(start));
        table.setRangeEnd(std::move(end));
        table.applyRange();
        return true;
    }
    // Range bounds are key prefixes, so one mark value bounds both ends in either direction.
    if (hasTag && !mark.empty()) {
        table.setRangeStart({{MarkField, mark}});
        table.setRangeEnd({{MarkField, mark}});
        table.applyRange();
    } else {
        table.cancelRange();
    }
    table.first();
    return false;
}

void TIndex::CountAllLetters() {
    if (!LetterTabsActive()) {
        return;
    }
    Table& table = database_.DataTable;
    for (char letter = 'Z'; letter >= 'A'; --letter) {
        count(letter) = 0;
        if (SetLetterRange(table, letter)) {
            count(letter) = static_cast<std::int32_t>(database_.RecordCount(table));
        }
    }
}

void TIndex::RefreshLetterCount(TLetterTabPanel* panel, char letter) {
    if (!LetterTabsActive() || !isLetter(letter)) {
        return;
    }
    count(letter) = static_cast<std::int32_t>(database_.RecordCount(database_.DataTable));
    if (panel != nullptr) {
        ColourLetterTab(*panel, letter);
    }
}

void TIndex::AdjustLetterCount(char oldLetter, char newLetter, TLetterTabPanel* panel) {
    if (isLetter(oldLetter) && count(oldLetter) > 0) {
        --count(oldLetter);
    }
    if (isLetter(newLetter)) {
        ++count(newLetter);
    }
    if (panel != nullptr) {
        ColourLetterTab(*panel, oldLetter);
        ColourLetterTab(*panel, newLetter);
    }
}

std::int32_t TIndex::LetterCount(char letter) const {
    return isLetter(letter) ? counts_[static_cast<std::size_t>(letter - 'A')] : 0;
}

char TIndex::FirstLetter(const Table& table) const {
    const int primary = Sort.PrimaryField;
    if (!table.isOpen() || primary >= table.fieldCount() || table.field(primary).type != 'C') {
        return 0;
    }
    const std::string text = table.text(primary);
    if (text.empty()) {
        return 'A';
    }
    const auto c = static_cast<unsigned char>(text.front());
    if (c >= 'a' && c <= 'z') {
        return static_cast<char>(c - 'a' + 'A');
    }
    if (c < 'A') {
        return 'A';
    }
    return c > 'Z' ? 'Z' : static_cast<char>(c);
}

char TIndex::PreviousNonEmptyLetter(char letter) const {
    if (static_cast<unsigned char>(letter) > 'Z') {
        return letter;
    }
    for (char c = static_cast<char>(letter - 1); c >= 'A'; --c) {
        if (LetterCount(c) > 0) {
            return c;
        }
    }
    return letter;
}

char TIndex::NextNonEmptyLetter(char letter) const {
    if (static_cast<unsigned char>(letter) <= '@') {
        return letter;
    }
    for (char c = static_cast<char>(letter + 1); c <= 'Z'; ++c) {
        if (LetterCount(c) > 0) {
            return c;
        }
    }
    return letter;
}

void TIndex::ColourLetterTab(TLetterTabPanel& panel, char letter) const {
    if (!isLetter(letter) || !panel.FindLetterTab(letter)) {
        return;
    }
    if (LetterCount(letter) != 0) {
        panel.ColourLetterTab(letter, NotEmptyLetterTabText, NotEmptyLetterTabBackground);
    } else {
        panel.ColourLetterTab(letter, EmptyLetterTabText, EmptyLetterTabBackground);
    }
}

void TIndex::ColourAllLetterTabs(TLetterTabPanel& panel) const {
    if (!LetterTabsActive()) {
        return;
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        ColourLetterTab(panel, letter);
    }
}

} // namespace shelfwise::db
