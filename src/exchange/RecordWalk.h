#pragma once

// The records an export writes: the data table's records in the current order and filter.

#include <cstdint>
#include <functional>

namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::exchange {

// How many records WalkRecords visits.
std::uint32_t RecordsToWalk(db::TDatabase& database);

// Visits the records. With letter tabs in use it goes letter range by letter range; the ranges
// as laid hold every record, titles that do not begin with a letter under "A". `range` is
// called before each letter's records with the letter, or once with 0 for the whole table.
// `record` returns false to stop; then WalkRecords returns false.
bool WalkRecords(db::TDatabase& database, const std::function<void(char letter)>& range,
                 const std::function<bool()>& record);

} // namespace shelfwise::exchange
