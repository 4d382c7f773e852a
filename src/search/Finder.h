#pragma once

// TFinder: the search loop over the book window's record table, without widgets. It tests the
// records of the walked range field by field, one hit at a time forwards or backwards, or marks
// every record of the table in one pass.

#include "db/RecordSchema.h"
#include "engine/Table.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shelfwise::search {

// The field choice meaning every field of the table after the two system fields.
inline constexpr int AllFields = -1;

enum class StepResult { Hit, NotFound, Stopped };

struct NonStopResult {
    std::uint32_t Found = 0;   // records marked as matching
    std::uint32_t Skipped = 0; // records another user held, left as they were
    bool Stopped = false;
};

// Changes the letters a-z only; accented and other characters stay as they are.
std::string UpperCaseAscii(std::string_view text);

// The outcome of writing the marks of a stretch of records.
struct MarksWritten {
    std::uint32_t Passed = 0; // records marked as matching or passing
    std::uint32_t Held = 0;   // records another user held, left as they were
};
// Writes the marks a pass found wrong (record number, whether it matches) in one call, the
// records in record order; records deleted meanwhile are passed over.
MarksWritten WriteMarks(engine::Table& table,
                        const std::vector<std::pair<std::uint32_t, bool>>& changes);

// Runs `writes` in a batch of the table's writes, flushed every `recordsPerFlush` records, and
// ends the batch after it. Should `writes` throw, the batch ends all the same, with what the
// engine has not dropped, and the error goes on. `writes` returns false when the table went
// away under it (closing it ended the batch): the table is then not touched again.
void WriteInBatch(engine::Table& table, std::uint32_t recordsPerFlush,
                  const std::function<bool()>& writes);

class TFinder {
public:
    TFinder(engine::Table& table, const db::TFieldClasses& fields);
    ~TFinder();
    TFinder(const TFinder&) = delete;
    TFinder& operator=(const TFinder&) = delete;

    // The text sought (Windows-1252), read as text, as a number and as a date in `dateFormat`.
    void SetSearchText(std::string_view text, const QString& dateFormat);
    // AllFields or a field position.
    void SetField(int position) { field_ = position; }
    void SetSkipMemos(bool skip) { skipMemos_ = skip; }

    // Asked before every record, also while the table is being read a stretch at a time, so it
    // must neither touch the table nor let events run: true stops the loop there.
    std::function<bool()> ShouldStop;
    // Called between stretches of records (before every record read one at a time), with the
    // table free: the place to let pending events run.
    std::function<void()> LetEventsRun;
    // Called when the walked range is used up in that direction without a hit: the letter of
    // the next range the table now shows, or none when nothing is left.
    std::function<std::optional<char>(bool forward)> RangeExhausted;

    // Does the field at that position of the current record match?
    bool FieldMatches(int position);
    // Does the current record match, from the current field position on?
    bool RecordMatches();

    // Goes to the start of the walked range in the direction and forgets the last hit; the
    // letter is that of the range (0 without letter tabs).
    void Begin(bool forward, char letter);
    // One search step in the direction: from the start record after Begin, or on from the last
    // hit. The table stands on the hit when there is one.
    StepResult Step(bool forward);
    // Marks every record of the table in natural order: "2" when it matches, "0" otherwise.
    // The table is left in natural order without a range.
    NonStopResult MarkAll();

    // The table is going away under a running loop: the loop ends without touching it again.
    void Abandon() { abandoned_ = true; }

    bool HasHit() const { return hitCounter_ >= 0; }
    bool Forward() const { return forward_; }
    char Letter() const { return letter_; }
    std::int64_t RecordCounter() const { return counter_; }
    int FieldPosition() const { return fieldPosition_; }
    // The match in a memo as the memo editor counts it: a stored CR LF is one character there.
    int MemoOffset() const { return memoOffset_; }
    int MemoLength() const { return memoLength_; }

private:
    bool TestField(int position);
    void GoToStart();
    bool AtEdge() const;
    void StepRecord();
    void StepPastHit();
    bool GoToCounter();
    bool EventsAbandoned();
    bool ScanStretch(const std::function<bool()>& visit);
    bool Resume(std::uint32_t recordNumber);

    engine::Table& table_;
    const db::TFieldClasses& fields_;
    std::string text_;
    std::optional<double> number_;
    std::optional<std::chrono::year_month_day> date_;
    int field_ = AllFields;
    bool skipMemos_ = false;

    bool forward_ = true;
    bool hit_ = false;
    std::uint32_t bookmark_ = 0;
    std::int64_t hitCounter_ = -1;
    char letter_ = 0;
    std::int64_t counter_ = 0;
    int fieldPosition_ = db::FirstDataField;
    int memoOffset_ = 0;
    int memoLength_ = 0;
    bool abandoned_ = false;
};

} // namespace shelfwise::search
