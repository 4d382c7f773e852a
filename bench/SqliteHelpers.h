#pragma once

// The SQLite side of the benchmarks: handles closed by unique_ptr, and statements that must
// succeed (a failure ends the run with SQLite's message).
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace bench_sqlite {

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

inline void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        std::abort();
    }
}

} // namespace bench_sqlite
