#pragma once

// Appends imported records to the data table in batches: each batch is on the disk whole or
// not at all, and its record numbers are given out with one catalogue post.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace shelfwise::engine {
class Table;
}
namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::exchange {

class TRecordAppender {
public:
    // Each batch costs several disk syncs for the table, its index, the journal and the
    // catalogue; larger batches hold the header longer from other writers.
    static constexpr std::uint32_t DefaultRecordsPerBatch = 5000;

    explicit TRecordAppender(db::TDatabase& database,
                             std::uint32_t recordsPerBatch = DefaultRecordsPerBatch);

    std::uint32_t RecordsPerBatch() const { return recordsPerBatch_; }

    // Sets the fields of the index-th record of a batch in the data table's new record, blank
    // but for its number and mark.
    using Fill = std::function<void(engine::Table& table, std::size_t index)>;
    // Appends `count` records (at most RecordsPerBatch) with their number and the mark of a
    // record that passes; returns how many could not be written. A record whose fields or
    // post fail is left out; when a post fails the batch is written again one record at a
    // time, so one bad record costs no other. Throws EngineError when no record numbers
    // could be had.
    std::uint32_t Append(std::size_t count, const Fill& fill);

private:
    bool appendOne(double number, std::size_t index, const Fill& fill);

    db::TDatabase& database_;
    std::uint32_t recordsPerBatch_;
};

} // namespace shelfwise::exchange
