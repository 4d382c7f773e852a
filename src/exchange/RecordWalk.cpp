#include "exchange/RecordWalk.h"

#include "db/Database.h"

namespace shelfwise::exchange {

namespace {

// `done` counts the records of the whole walk, so steps fall every RecordsPerStep records
// across letter ranges.
bool WalkRange(engine::Table& table, std::uint32_t& done, const std::function<bool()>& record,
               const std::function<bool()>& step) {
    for (table.first(); !table.atEnd();) {
        bool stopped = false;
        const std::uint32_t visited = table.scan(RecordsPerStep - done % RecordsPerStep, [&] {
            stopped = !record();
            return !stopped;
        });
        done += visited;
        if (stopped || (done % RecordsPerStep == 0 && !step())) {
            return false;
        }
        if (visited == 0) {
            break;
        }
    }
    return true;
}

} // namespace

std::uint32_t RecordsToWalk(db::TDatabase& database) {
    engine::Table& table = database.DataTable;
    if (!database.Index.LetterTabsActive()) {
        database.Index.SetLetterRange(table, 0);
        return database.RecordCount(table);
    }
    std::uint32_t count = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        database.Index.SetLetterRange(table, letter);
        count += database.RecordCount(table);
    }
    return count;
}

bool WalkRecords(db::TDatabase& database, const std::function<void(char letter)>& range,
                 const std::function<bool()>& record, const std::function<bool()>& step) {
    engine::Table& table = database.DataTable;
    std::uint32_t done = 0;
    if (!database.Index.LetterTabsActive()) {
        database.Index.SetLetterRange(table, 0);
        range(0);
        return WalkRange(table, done, record, step);
    }
    // A descending sort shows the letters from Z down.
    const bool descending = database.Index.Sort.PrimaryDescending;
    for (int i = 0; i < 26; ++i) {
        const char letter = static_cast<char>(descending ? 'Z' - i : 'A' + i);
        database.Index.SetLetterRange(table, letter);
        if (database.RecordCount(table) == 0) {
            continue;
        }
        range(letter);
        if (!WalkRange(table, done, record, step)) {
            return false;
        }
    }
    return true;
}

} // namespace shelfwise::exchange
