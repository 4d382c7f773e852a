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

// How many records WalkRecords visits between two calls of `step`.
inline constexpr std::uint32_t RecordsPerStep = 256;

// Visits the records. With letter tabs in use it goes letter range by letter range; the ranges
// as laid hold every record, titles that do not begin with a letter under "A". `range` is
// called before each letter's records with the letter, or once with 0 for the whole table.
// The table is read a stretch at a time: `record` may read its fields and write elsewhere but
// neither move nor write the table nor let events run. `step` is called after every
// RecordsPerStep records of the walk with the table free: the place for progress and Stop.
// Either returns false to stop; then WalkRecords returns false.
bool WalkRecords(db::TDatabase& database, const std::function<void(char letter)>& range,
                 const std::function<bool()>& record, const std::function<bool()>& step);

} // namespace shelfwise::exchange
