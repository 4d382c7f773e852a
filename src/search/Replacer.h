#pragma once

// TReplacer: the Replace loop over the book window's record table, without widgets. It sets one
// field in every record of the user's selection from a start record on, in the list's order:
// to a value, by replacing a substring, or to a counter that goes up or down by one a record.

#include "db/IndexManager.h"
#include "engine/Table.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::search {

class TFilterList;

enum class ReplaceMode { Entire, Substring, Increment, Decrement };

// The mode a field takes: a memo or a date field knows only the entire value.
ReplaceMode ModeForField(ReplaceMode mode, char fieldType);

// A counter as the text of a character field: right-aligned in `width` with zeros, the sign
// before them ("-01", never "0-1").
std::string CounterText(std::int64_t value, int width);

// How many decimal digits the number has (1 for 0).
int DigitCount(std::uint64_t value);

struct TReplaceSettings {
    int Field = 0; // table position
    ReplaceMode Mode = ReplaceMode::Entire;
    // The new value (Windows-1252; a memo's lines joined by CR LF), or the replacement of the
    // substring.
    std::string Value;
    // The new value of a date field.
    std::optional<std::chrono::year_month_day> Date;
    std::string Substring;
    std::int64_t Start = 0; // first counter value
    bool FromFirst = false; // else from the table's current record
    db::FilterState Scope = db::FilterState::fsFilterOff;
    // Under a filtered scope the user's own filter is evaluated again on each record, since
    // another program may have marked the shared table with its own since. None while the marks
    // are not the filter's (a non-stop Find's hits): then the marks alone decide.
    const TFilterList* Filter = nullptr;
};

struct TReplaceResult {
    std::uint32_t Replaced = 0; // records changed and written
    std::uint32_t Failed = 0;   // records whose change could not be made, the held ones too
    std::uint32_t Held = 0;     // records another user was editing, left as they were
    bool Stopped = false;
};

class TReplacer {
public:
    explicit TReplacer(engine::Table& table);
    TReplacer(const TReplacer&) = delete;
    TReplacer& operator=(const TReplacer&) = delete;

    // Asked before every record, also while the table is read a stretch at a time, so it must
    // neither touch the table nor let events run: true stops the run there.
    std::function<bool()> ShouldStop;
    // Called between records with the table free: the place to let pending events run.
    std::function<void()> LetEventsRun;
    // Records written between two flushes: each flush costs several disk syncs, and other
    // writers wait for the header only while one part is under way.
    std::uint32_t RecordsPerFlush = 5000;

    // Walks the table's order (its range lifted) from the start record to the end, then
    // changes the records of the walk one by one in that order, each at most once however a
    // change moves it. The writes go in batches, each on the disk all or nothing. The table is
    // left in natural order without a range.
    TReplaceResult Run(const TReplaceSettings& settings);

    // The table is going away under a running loop: the loop ends without touching it again.
    void Abandon() { abandoned_ = true; }

    // Records of the walk passed so far.
    std::int64_t RecordCounter() const { return counter_; }

private:
    bool Stopping();
    bool EventsAbandoned();
    // The record numbers of the walk, in order; false when it was stopped.
    bool ListWalk(std::vector<std::uint32_t>& walk);
    bool InScope(const TReplaceSettings& settings) const;
    enum class Change { Made, Skipped, Failed };
    Change ChangeRecord(const TReplaceSettings& settings);
    bool StoreText(int position, std::string_view text);

    engine::Table& table_;
    std::int64_t counter_ = 0;
    std::int64_t counterValue_ = 0;
    int counterWidth_ = 1;
    std::string upperSubstring_;
    bool abandoned_ = false;
};

} // namespace shelfwise::search
