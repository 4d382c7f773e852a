#include "search/Finder.h"

#include "text/DateText.h"
#include "text/WindowsText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace shelfwise::search {

namespace {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Where the upper-cased needle first occurs in the haystack, comparing the haystack upper-cased.
std::size_t FindFolded(std::string_view haystack, std::string_view upperNeedle) {
    const auto found =
        std::search(haystack.begin(), haystack.end(), upperNeedle.begin(), upperNeedle.end(),
                    [](char h, char n) { return UpperAscii(h) == n; });
    return found == haystack.end() && !upperNeedle.empty()
               ? std::string_view::npos
               : static_cast<std::size_t>(found - haystack.begin());
}

// A decimal number with a period as decimal point and nothing before or after it.
std::optional<double> ReadPlainNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Records read under one lock: enough to spare the lock and header reads of each move, few
// enough that events run often between two stretches.
constexpr std::uint32_t StretchRecords = 256;

// Marks written between two flushes of the non-stop pass: each flush costs several disk
// syncs, and other writers wait for the header only while one part is under way.
constexpr std::uint32_t MarksPerFlush = 5000;

} // namespace

std::string UpperCaseAscii(std::string_view text) {
    std::string upper(text);
    std::ranges::transform(upper, upper.begin(), UpperAscii);
    return upper;
}

MarksWritten WriteMarks(engine::Table& table,
                        const std::vector<std::pair<std::uint32_t, bool>>& changes) {
    std::vector<std::uint32_t> records;
    records.reserve(changes.size());
    for (const auto& change : changes) {
        records.push_back(change.first);
    }
    MarksWritten result;
    result.Held =
        table
            .updateRecords(records,
                           [&](engine::Table& t, std::size_t i) {
                               const bool match = changes[i].second;
                               t.setText(db::MarkField, match ? db::MarkPassed : db::MarkFailed);
                               result.Passed += match ? 1 : 0;
                           })
            .locked;
    return result;
}

void WriteInBatch(engine::Table& table, std::uint32_t recordsPerFlush,
                  const std::function<bool()>& writes) {
    table.beginBatch(recordsPerFlush);
    try {
        if (!writes()) {
            return;
        }
    } catch (...) {
        // A failed engine call has already dropped the writes since the last flush.
        if (table.inBatch()) {
            table.endBatch();
        }
        throw;
    }
    table.endBatch();
}

TFinder::TFinder(engine::Table& table, const db::TFieldClasses& fields)
    : table_(table), fields_(fields) {}

TFinder::~TFinder() = default;

void TFinder::SetSearchText(std::string_view text, const QString& dateFormat) {
    text_ = UpperCaseAscii(text);
    number_ = ReadPlainNumber(text);
    date_ = text::ReadDate(text::FromWindowsText(text), dateFormat);
}

bool TFinder::FieldMatches(int position) {
    const char type = table_.field(position).type;
    if (type == 'C') {
        return FindFolded(table_.text(position), text_) != std::string_view::npos;
    }
    if (db::IsNumericType(type)) {
        return number_ && table_.number(position) == *number_;
    }
    if (type == 'D') {
        return date_ && table_.date(position) == date_;
    }
    if (type == 'M' && !(skipMemos_ && field_ == AllFields)) {
        const std::string memo = table_.bytes(position);
        const std::size_t at = memo.empty() ? std::string::npos : FindFolded(memo, text_);
        if (at == std::string::npos) {
            return false;
        }
        // The memo editor shows each stored line break as one character.
        int breaks = 0;
        for (std::size_t i = memo.find("\r\n"); i < at; i = memo.find("\r\n", i + 2)) {
            ++breaks;
        }
        memoOffset_ = static_cast<int>(at) - breaks;
        memoLength_ = static_cast<int>(text_.size());
        return true;
    }
    return false;
}

bool TFinder::RecordMatches() {
    if (table_.recordNumber() == 0) {
        return false;
    }
    if (field_ != AllFields) {
        if (!FieldMatches(field_)) {
            return false;
        }
        fieldPosition_ = field_;
        return true;
    }
    const int last = table_.fieldCount() - 1;
    if (forward_) {
        for (int p = fieldPosition_; p <= last; ++p) {
            if (FieldMatches(p)) {
                fieldPosition_ = p;
                return true;
            }
        }
        fieldPosition_ = db::FirstDataField;
    } else {
        for (int p = std::min(fieldPosition_, last); p >= db::FirstDataField; --p) {
            if (FieldMatches(p)) {
                fieldPosition_ = p;
                return true;
            }
        }
        fieldPosition_ = last;
    }
    return false;
}

void TFinder::Begin(bool forward, char letter) {
    forward_ = forward;
    letter_ = letter;
    hit_ = false;
    hitCounter_ = -1;
    GoToStart();
}

void TFinder::GoToStart() {
    if (forward_) {
        table_.first();
        fieldPosition_ = db::FirstDataField;
        counter_ = 0;
    } else {
        table_.last();
        fieldPosition_ = table_.fieldCount() - 1;
        counter_ = static_cast<std::int64_t>(table_.recordCount()) - 1;
    }
    bookmark_ = table_.recordNumber();
}

bool TFinder::AtEdge() const {
    return table_.recordNumber() == 0 || (forward_ ? table_.atEnd() : table_.atBegin());
}

void TFinder::StepRecord() {
    if (table_.recordNumber() == 0) {
        return;
    }
    if (forward_) {
        table_.next();
        if (!table_.atEnd()) {
            ++counter_;
        }
    } else {
        table_.prior();
        if (!table_.atBegin()) {
            --counter_;
        }
    }
}

void TFinder::StepPastHit() {
    if (field_ == AllFields) {
        const int last = table_.fieldCount() - 1;
        fieldPosition_ += forward_ ? 1 : -1;
        if (fieldPosition_ >= db::FirstDataField && fieldPosition_ <= last) {
            return;
        }
        fieldPosition_ = forward_ ? db::FirstDataField : last;
    }
    StepRecord();
}

bool TFinder::GoToCounter() {
    const auto count = static_cast<std::int64_t>(table_.recordCount());
    if (count == 0) {
        table_.first();
        return false;
    }
    if (counter_ < 0) {
        table_.first();
        table_.prior();
        return false;
    }
    if (counter_ >= count) {
        table_.last();
        table_.next();
        return false;
    }
    table_.first();
    table_.moveBy(static_cast<int>(counter_));
    return true;
}

bool TFinder::EventsAbandoned() {
    if (LetEventsRun) {
        LetEventsRun();
    }
    return abandoned_;
}

// Reads forward from the current record, a stretch under one lock, asking ShouldStop before
// each record: false when it said stop, the table then on that record. `visit` returns false
// to end the stretch on its record. counter_ follows the cursor.
bool TFinder::ScanStretch(const std::function<bool()>& visit) {
    bool stopped = false;
    bool ended = false;
    bool moved = false;
    table_.scan(StretchRecords, [&] {
        counter_ += moved ? 1 : 0;
        moved = true;
        if (ShouldStop && ShouldStop()) {
            stopped = true;
            return false;
        }
        ended = !visit();
        return !ended;
    });
    if (!stopped && !ended && !table_.atEnd()) {
        ++counter_;
    }
    return !stopped;
}

// Back on the record a stretch ended on, in physical order; when another user deleted it
// meanwhile, on the next live one. False when none is left.
bool TFinder::Resume(std::uint32_t recordNumber) {
    if (table_.goToRecord(recordNumber)) {
        return true;
    }
    table_.last();
    const std::uint32_t last = table_.recordNumber();
    for (std::uint32_t n = recordNumber + 1; n <= last; ++n) {
        if (table_.goToRecord(n)) {
            return true;
        }
    }
    return false;
}

StepResult TFinder::Step(bool forward) {
    forward_ = forward;
    bool continuing = hit_;
    hit_ = false;
    if (hitCounter_ >= 0) {
        counter_ = hitCounter_;
    }
    if (bookmark_ != 0 && table_.goToRecord(bookmark_)) {
        if (hitCounter_ >= 0) {
            // The record may have moved in the order since.
            counter_ = table_.recordPosition();
        }
    } else {
        // The record is gone: whatever took its place forwards has not been tested yet, and
        // backwards the search goes on before it.
        if (continuing && !forward_) {
            --counter_;
        }
        fieldPosition_ = forward_ ? db::FirstDataField : table_.fieldCount() - 1;
        continuing = !GoToCounter();
    }
    if (continuing) {
        StepPastHit();
    }
    for (bool firstPass = true;; firstPass = false) {
        if (EventsAbandoned()) {
            return StepResult::Stopped;
        }
        if (forward_ && !AtEdge()) {
            if (!ScanStretch([this] {
                    hit_ = RecordMatches();
                    return !hit_;
                })) {
                return StepResult::Stopped;
            }
            if (hit_) {
                break;
            }
        } else {
            if (ShouldStop && ShouldStop()) {
                return StepResult::Stopped;
            }
            if (!(continuing && firstPass && AtEdge())) {
                hit_ = RecordMatches();
                if (hit_) {
                    break;
                }
                StepRecord();
            }
        }
        if (AtEdge()) {
            const std::optional<char> next =
                RangeExhausted ? RangeExhausted(forward_) : std::nullopt;
            if (!next) {
                return StepResult::NotFound;
            }
            letter_ = *next;
            GoToStart();
        }
    }
    bookmark_ = table_.recordNumber();
    hitCounter_ = counter_;
    return StepResult::Hit;
}

NonStopResult TFinder::MarkAll() {
    table_.cancelRange();
    table_.setTag("");
    table_.first();
    forward_ = true;
    letter_ = 0;
    counter_ = 0;
    hit_ = false;
    hitCounter_ = -1;
    bookmark_ = 0;
    NonStopResult result;
    // The records of a stretch whose mark must change, and whether they match.
    std::vector<std::pair<std::uint32_t, bool>> changes;
    WriteInBatch(table_, MarksPerFlush, [&] {
        for (bool more = table_.recordNumber() != 0; more;) {
            if (EventsAbandoned()) {
                // Closing the table ended the batch.
                result.Stopped = true;
                return false;
            }
            changes.clear();
            const bool carryOn = ScanStretch([&] {
                fieldPosition_ = db::FirstDataField;
                const bool match = RecordMatches();
                if (table_.text(db::MarkField) != (match ? db::MarkPassed : db::MarkFailed)) {
                    changes.emplace_back(table_.recordNumber(), match);
                } else {
                    result.Found += match ? 1 : 0;
                }
                return true;
            });
            const bool atEnd = table_.atEnd();
            const std::uint32_t stoppedOn = table_.recordNumber();
            // The visitor of a scan may not write, so the marks of a stretch are written
            // after it.
            const MarksWritten written = WriteMarks(table_, changes);
            result.Found += written.Passed;
            result.Skipped += written.Held;
            if (!carryOn) {
                result.Stopped = true;
                Resume(stoppedOn);
                break;
            }
            more = !atEnd && Resume(stoppedOn);
        }
        return true;
    });
    return result;
}

} // namespace shelfwise::search
