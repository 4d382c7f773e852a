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
    // The engine's message when a failure ended the run; Replaced then counts the records of
    // the batches written before it.
    std::string Error;
};

class TReplacer {
public:
    explicit TReplacer(engine::Table& table);
    TReplacer(const TReplacer&) = delete;
    TReplacer& operator=(const TReplacer&) = delete;

    // Asked before every record while the walk is listed and before every stretch of writes,
    // also while the table is read or written, so it must neither touch the table nor let
    // events run: true stops the run there.
    std::function<bool()> ShouldStop;
    // Called between stretches of records with the table free: the place to let pending
    // events run.
    std::function<void()> LetEventsRun;
    // Records of the walk written between two flushes: each flush costs several disk syncs,
    // and other writers wait for the header only while one part is under way.
    std::uint32_t RecordsPerFlush = 5000;

    // Walks the table's order (its range lifted) from the start record to the end, listing
    // the records in scope, then changes them a stretch at a time, each at most once however
    // a change moves it; counters follow the walk's order. Each record is checked against the
    // scope again as it is changed. The writes go in batches of the walk, each on the disk all
    // or nothing. The table is left in natural order without a range. An engine failure ends
    // the run with its message in the result.
    TReplaceResult Run(const TReplaceSettings& settings);

    // The table is going away under a running loop: the loop ends without touching it again.
    void Abandon() { abandoned_ = true; }

    // Records of the walk passed so far.
    std::int64_t RecordCounter() const { return counter_; }

private:
    bool Stopping();
    bool EventsAbandoned();
    void Replace(const TReplaceSettings& settings, TReplaceResult& result);
    // The record numbers of the walk in order, and whether each was in scope; false when it
    // was stopped.
    bool ListWalk(const TReplaceSettings& settings, std::vector<std::uint32_t>& walk,
                  std::vector<bool>& selected);
    bool InScope(const TReplaceSettings& settings) const;
    enum class Change { Made, Skipped, Failed };
    // Changes the current record; `counter` is its value in the counting modes.
    Change ChangeRecord(const TReplaceSettings& settings, std::int64_t counter);
    bool StoreText(int position, std::string_view text);

    engine::Table& table_;
    std::int64_t counter_ = 0;
    int counterWidth_ = 1;
    std::string upperSubstring_;
    bool abandoned_ = false;
};

} // namespace shelfwise::search
