#pragma once

// What the Find window asks of the window whose records it searches.

#include <cstdint>
#include <optional>

namespace shelfwise::search {

// Where a search stopped on a hit.
struct TFoundRecord {
    char Letter = 0;           // letter whose range was walked; 0 without letter tabs
    std::int64_t Position = 0; // place of the record in that range, from 0
    int FieldPosition = 0;     // table position of the field that matched
    int MemoOffset = 0;        // in a memo: the match as the memo editor counts characters
    int MemoLength = 0;
};

class TFindHooks {
public:
    virtual ~TFindHooks() = default;

    // Before a new search moves anything: false cancels it. With letter tabs the window shows
    // the first letter of the direction and gives it back.
    virtual bool BeforeSearch(bool forward, char& letter) = 0;
    // Before Find Next or Find Previous moves the record table: false ends the step.
    virtual bool BeforeContinue() = 0;
    // The range of `letter` is used up: the next letter that holds records, its range laid on
    // the record table, or none when nothing is left.
    virtual std::optional<char> RangeExhausted(bool forward, char letter) = 0;
    virtual void FoundRecord(const TFoundRecord& hit) = 0;
    // A step ended without a hit (end of the data or Stop).
    virtual void SearchFailed(bool nonStop) = 0;
    // Before the marking pass: false cancels it (the shown record's changes were kept).
    virtual bool BeforeNonStop() = 0;
    // After every non-stop Find; `refused` when BeforeNonStop said no, `found` the records
    // marked as hits.
    virtual void AfterNonStop(bool refused, std::uint32_t found) = 0;
};

} // namespace shelfwise::search
