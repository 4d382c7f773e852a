#include "search/Replacer.h"

#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "search/Filter.h"
#include "search/Finder.h"

#include <QByteArray>
#include <algorithm>
#include <limits>

namespace shelfwise::search {

namespace {

// Records read under one lock while the walk is listed, and records of the walk written with
// one engine call: few enough that events run often.
constexpr std::uint32_t StretchRecords = 256;

// A number as the user types it (the locale's form) or as a numeric field reads.
std::optional<double> ReadValueNumber(std::string_view text) {
    if (const auto number = ReadFilterNumber(text)) {
        return static_cast<double>(*number);
    }
    bool ok = false;
    const double value =
        QByteArray(text.data(), static_cast<qsizetype>(text.size())).trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

int MarkValue(const std::string& mark) {
    return !mark.empty() && mark[0] >= '0' && mark[0] <= '9' ? mark[0] - '0' : 0;
}

std::int64_t Stepped(std::int64_t value, int step) {
    if ((step > 0 && value == std::numeric_limits<std::int64_t>::max()) ||
        (step < 0 && value == std::numeric_limits<std::int64_t>::min())) {
        return value;
    }
    return value + step;
}

} // namespace

ReplaceMode ModeForField(ReplaceMode mode, char fieldType) {
    return fieldType == 'M' || fieldType == 'D' ? ReplaceMode::Entire : mode;
}

std::string CounterText(std::int64_t value, int width) {
    const bool negative = value < 0;
    // The magnitude of the most negative value does not fit a signed one.
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    const int room = width - (negative ? 1 : 0);
    if (static_cast<int>(digits.size()) < room) {
        digits.insert(0, static_cast<std::size_t>(room) - digits.size(), '0');
    }
    return negative ? "-" + digits : digits;
}

int DigitCount(std::uint64_t value) {
    int digits = 1;
    for (; value >= 10; value /= 10) {
        ++digits;
    }
    return digits;
}

TReplacer::TReplacer(engine::Table& table) : table_(table) {}

bool TReplacer::Stopping() {
    return ShouldStop && ShouldStop();
}

bool TReplacer::EventsAbandoned() {
    if (LetEventsRun) {
        LetEventsRun();
    }
    return abandoned_;
}

bool TReplacer::ListWalk(const TReplaceSettings& settings, std::vector<std::uint32_t>& walk,
                         std::vector<bool>& selected) {
    // Records already listed, by record number: a record met twice is listed once.
    std::vector<bool> listed;
    while (table_.recordNumber() != 0 && !table_.atEnd()) {
        const std::uint32_t resumeAt = table_.recordNumber();
        if (EventsAbandoned()) {
            return false;
        }
        // Events may have moved the table. When another user deleted the record the walk goes
        // on from, it goes on from the last listed record still there instead.
        bool placed = table_.goToRecord(resumeAt);
        for (auto at = walk.rbegin(); !placed && at != walk.rend(); ++at) {
            placed = table_.goToRecord(*at);
        }
        if (!placed) {
            break;
        }
        bool stopped = false;
        table_.scan(StretchRecords, [&] {
            if (Stopping()) {
                stopped = true;
                return false;
            }
            const std::uint32_t record = table_.recordNumber();
            if (record >= listed.size()) {
                listed.resize(record + 1 + record / 2);
            }
            if (!listed[record]) {
                listed[record] = true;
                walk.push_back(record);
                selected.push_back(InScope(settings));
            }
            return true;
        });
        if (stopped) {
            return false;
        }
    }
    return true;
}

bool TReplacer::InScope(const TReplaceSettings& settings) const {
    const int mark = MarkValue(table_.text(db::MarkField));
    switch (settings.Scope) {
    case db::FilterState::fsFilterOff:
        return true;
    case db::FilterState::fsNormal:
        if (mark < 2) {
            return false;
        }
        break;
    case db::FilterState::fsReversed:
        if (mark > 1) {
            return false;
        }
        break;
    }
    return settings.Filter == nullptr || StillSelected(*settings.Filter, table_, settings.Scope);
}

// Stores a text by the field's kind; false when the field cannot take it.
bool TReplacer::StoreText(int position, std::string_view text) {
    const engine::FieldDescriptor& field = table_.field(position);
    if (field.type == 'M') {
        table_.setBytes(position, text);
    } else if (db::IsNumericType(field.type)) {
        const auto number = ReadValueNumber(text);
        if (!number) {
            return false;
        }
        table_.setNumber(position, *number);
    } else if (field.type == 'L') {
        const std::string upper = UpperCaseAscii(text);
        if (upper != "T" && upper != "F" && upper != "Y" && upper != "N") {
            return false;
        }
        table_.setText(position, upper);
    } else {
        // The engine would cut a text too wide for the field.
        if (text.size() > field.width) {
            return false;
        }
        table_.setText(position, text);
    }
    return true;
}

TReplacer::Change TReplacer::ChangeRecord(const TReplaceSettings& settings, std::int64_t counter) {
    const int position = settings.Field;
    const char type = table_.field(position).type;
    try {
        switch (ModeForField(settings.Mode, type)) {
        case ReplaceMode::Entire:
            if (type == 'D') {
                if (!settings.Date) {
                    return Change::Failed;
                }
                table_.setDate(position, settings.Date);
                return Change::Made;
            }
            return StoreText(position, settings.Value) ? Change::Made : Change::Failed;
        case ReplaceMode::Substring: {
            if (upperSubstring_.empty()) {
                return StoreText(position, settings.Value) ? Change::Made : Change::Failed;
            }
            std::string text = table_.text(position);
            const std::size_t at = UpperCaseAscii(text).find(upperSubstring_);
            if (at == std::string::npos) {
                return Change::Skipped;
            }
            text.replace(at, upperSubstring_.size(), settings.Value);
            return StoreText(position, text) ? Change::Made : Change::Failed;
        }
        case ReplaceMode::Increment:
        case ReplaceMode::Decrement:
            if (db::IsNumericType(type)) {
                table_.setNumber(position, static_cast<double>(counter));
                return Change::Made;
            }
            return StoreText(position, CounterText(counter, counterWidth_)) ? Change::Made
                                                                            : Change::Failed;
        }
    } catch (const engine::EngineError&) {
        // A value the field cannot hold (a number too wide for it).
        return Change::Failed;
    }
    return Change::Failed;
}

TReplaceResult TReplacer::Run(const TReplaceSettings& settings) {
    TReplaceResult result;
    counter_ = 0;
    upperSubstring_ = UpperCaseAscii(settings.Substring);
    try {
        Replace(settings, result);
    } catch (const engine::EngineError& e) {
        result.Error = e.what();
    }
    return result;
}

void TReplacer::Replace(const TReplaceSettings& settings, TReplaceResult& result) {
    const std::uint32_t start = table_.recordNumber();
    // Lifting the range goes to the first record.
    table_.cancelRange();
    counterWidth_ = DigitCount(table_.recordCount());
    if (!settings.FromFirst && (start == 0 || !table_.goToRecord(start))) {
        table_.setTag("");
        return;
    }
    std::vector<std::uint32_t> walk;
    std::vector<bool> selected;
    if (!ListWalk(settings, walk, selected)) {
        result.Stopped = true;
        if (!abandoned_) {
            table_.setTag("");
        }
        return;
    }
    // In natural order the cursor's own record is found again without an index search.
    table_.setTag("");
    const int step = settings.Mode == ReplaceMode::Decrement ? -1 : 1;
    std::int64_t counter = settings.Start;
    const std::size_t perFlush = std::max<std::uint32_t>(RecordsPerFlush, 1);
    // The records of a stretch in scope, and their counter values.
    std::vector<std::uint32_t> records;
    std::vector<std::int64_t> counters;
    for (std::size_t part = 0; part < walk.size() && !result.Stopped; part += perFlush) {
        const std::size_t partEnd = std::min(walk.size(), part + perFlush);
        // Counted once the part is on the disk.
        std::uint32_t replaced = 0;
        WriteInBatch(table_, RecordsPerFlush, [&] {
            for (std::size_t from = part; from < partEnd; from += StretchRecords) {
                if (EventsAbandoned()) {
                    // Closing the table ended the batch.
                    result.Stopped = true;
                    return false;
                }
                if (Stopping()) {
                    result.Stopped = true;
                    break;
                }
                const std::size_t to = std::min<std::size_t>(partEnd, from + StretchRecords);
                records.clear();
                counters.clear();
                for (std::size_t i = from; i < to; ++i) {
                    if (selected[i]) {
                        records.push_back(walk[i]);
                        counters.push_back(counter);
                        counter = Stepped(counter, step);
                    }
                }
                const engine::Table::UpdateResult written =
                    table_.updateRecords(records, [&](engine::Table&, std::size_t i) {
                        // The record as it is now: another user may have changed it since
                        // the walk was listed.
                        if (!InScope(settings)) {
                            return;
                        }
                        const Change change = ChangeRecord(settings, counters[i]);
                        replaced += change == Change::Made ? 1 : 0;
                        result.Failed += change == Change::Failed ? 1 : 0;
                    });
                result.Held += written.locked;
                result.Failed += written.locked;
                counter_ = static_cast<std::int64_t>(to);
            }
            return true;
        });
        if (abandoned_) {
            return;
        }
        result.Replaced += replaced;
    }
}

} // namespace shelfwise::search
