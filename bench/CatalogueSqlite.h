#pragma once

// The catalogue's searched and shown columns copied into an SQLite table "data" of the same
// shape, so both sides of a comparison work on the same records.
#include "SqliteHelpers.h"
#include "db/RecordSchema.h"
#include "engine/Table.h"

#include <sqlite3.h>
#include <string>

namespace bench_sqlite {

inline void CopyCatalogue(sqlite3* db, shelfwise::engine::Table& table) {
    namespace sdb = shelfwise::db;
    exec(db, "CREATE TABLE data(number INTEGER, mark TEXT, name TEXT, producer TEXT, "
             "serial TEXT, price REAL, released TEXT)");
    exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO data VALUES(?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
    for (table.first(); !table.atEnd();) {
        table.scan(1000, [&] {
            sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(table.number(0)));
            const std::string texts[] = {
                table.text(sdb::MarkField), table.text(sdb::FirstDataField),
                table.text(sdb::FirstDataField + 1), table.text(sdb::FirstDataField + 4),
                table.text(sdb::FirstDataField + 6)};
            for (int i = 0; i < 4; ++i) {
                sqlite3_bind_text(insert, i + 2, texts[i].c_str(), -1, SQLITE_TRANSIENT);
            }
            sqlite3_bind_double(insert, 6, table.number(sdb::FirstDataField + 5));
            sqlite3_bind_text(insert, 7, texts[4].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
            return true;
        });
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT");
}

} // namespace bench_sqlite
