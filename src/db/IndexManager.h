#pragma once

// TIndex, the database manager's sort part: the sort state and its file, the key of the
// current sort, the index tag that serves it, the letter and filter ranges and the letter
// counts.

#include "db/SortKey.h"
#include "engine/Table.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace shelfwise::engine {
class Table;
}
namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::db {

class TDatabase;
class TLetterTabPanel;

// The filter scope the sort button shows: all records, records marked "2", records marked "0".
enum class FilterState { fsFilterOff = 0, fsNormal = 1, fsReversed = 2 };

class TIndex {
public:
    TIndex(TDatabase& database, const settings::Settings& settings);

    // The current sort and the copy taken before a change.
    SortValues Sort;
    SortValues SavedSort;
    // Set by the book window from the sort button; ranges honour it while Filtered is set.
    FilterState Filter = FilterState::fsFilterOff;
    // The tag in use is the filtered variant ("IDXF" tags, keys led by the mark field).
    bool Filtered = false;
    // Called by ApplySort right after the data table was reopened on the new tag.
    std::function<void()> RecountLetters;

    void SaveSort() { SavedSort = Sort; }
    void RestoreSort() { Sort = SavedSort; }
    bool SortUnchanged() const { return Sort == SavedSort; }
    void ResetSort();

    // The sort state file beside the data table: its name with the extension "idx".
    std::filesystem::path SortStatePath() const;
    static std::filesystem::path SortStatePathOf(const std::filesystem::path& directory,
                                                 const std::string& dataFileName);
    void ReadSortState();
    bool WriteSortState() const;

    // The key of the current sort from the fields of the table last prepared.
    void BuildKey();
    const SortKey& Key() const { return key_; }

    // Finds or creates the tag for the current sort; empty when it could not be created.
    // Throws EngineError when the engine fails while adding the tag.
    std::string PrepareIndex(engine::Table& table);
    // Reopens the data table on the tag of the current sort; on failure the previous tag
    // and sort come back and the user is told (except during the first open).
    bool ApplySort();
    // A sort change as the sort dialog and menus make it: nothing happens when the values
    // stay the same; otherwise the filter goes off and the table is reopened, and a failure
    // restores the previous sort. False only when the new sort could not be applied.
    bool ChangeSort(const SortValues& sort);
    // A change of the filter state: the filtered tag is used while any filter is on. On
    // failure the previous state comes back.
    bool ChangeFilter(FilterState state);

    bool LetterTabsActive() const;
    // Lays the range of one letter (within the filter), or only the filter range; goes to
    // the first record. True when a letter range was laid.
    bool SetLetterRange(engine::Table& table, char letter);
    void CountAllLetters();
    void RefreshLetterCount(TLetterTabPanel* panel, char letter);
    void AdjustLetterCount(char oldLetter, char newLetter, TLetterTabPanel* panel);
    std::int32_t LetterCount(char letter) const;
    // The letter of the current record in the primary sort field; 0 when there is none.
    char FirstLetter(const engine::Table& table) const;
    char PreviousNonEmptyLetter(char letter) const;
    char NextNonEmptyLetter(char letter) const;

    void ColourLetterTab(TLetterTabPanel& panel, char letter) const;
    void ColourAllLetterTabs(TLetterTabPanel& panel) const;

    // The most tags one production index holds.
    static constexpr std::size_t MaxTags = 47;
    // Tags of the template every data table keeps: entry order and its filtered form.
    static constexpr const char* FixedTags[] = {"IDX0", "IDX1"};
    // A tag this program made for a sort: "IDX" or "IDXF" and a number, not a fixed tag.
    static bool IsOwnSortTag(const std::string& name);

private:
    void MarkTagUsed(const std::string& name);
    std::optional<std::string> LeastRecentlyUsedSortTag(const std::vector<engine::TagInfo>& tags,
                                                        const std::string& inUse) const;
    static bool isLetter(char letter) { return letter >= 'A' && letter <= 'Z'; }
    std::int32_t& count(char letter) { return counts_[static_cast<std::size_t>(letter - 'A')]; }
    bool primaryIsText() const;

    TDatabase& database_;
    const settings::Settings& settings_;
    engine::Table* table_ = nullptr;
    SortKey key_;
    std::array<std::int32_t, 26> counts_{};
    // When each tag last served a sort in this session, by a counter.
    std::map<std::string, std::uint64_t> tagUse_;
    std::uint64_t useClock_ = 0;
};

} // namespace shelfwise::db
