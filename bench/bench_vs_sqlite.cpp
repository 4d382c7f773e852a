// The table engine and SQLite (the system library, default settings: rollback journal,
// synchronous FULL) doing the same work in one run on the same catalogue records, at 100,000
// and 1,000,000 records. Each store gets the records of CatalogueRecords.h: the engine as a
// table with a tag on NAME, SQLite as a table with an index on name. For the reading rows both
// also have an index on upper(name) (tag UNAME). Every file is removed at the end.

#include "CatalogueRecords.h"
#include "SqliteHelpers.h"
#include "WaitCounters.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"

#include <benchmark/benchmark.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using namespace shelfwise::bench;
using shelfwise::engine::Table;

constexpr int kName = 2;
constexpr int kProducer = 3;
// The engine's per-record loop posts and flushes each record; it is measured over this many
// records and its time per record compared.
constexpr std::uint32_t kEngineLoopRecords = 2000;

// The letters the tabs count, as key prefixes.
std::string letter(int i) {
    return std::string(1, static_cast<char>('A' + i));
}

// A random prefix of a name in upper case, to seek to.
std::string randomKey(std::mt19937& random) {
    std::string key = RandomName(random);
    for (char& c : key) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return key.substr(0, 12);
}

// Swaps the word of a find/replace between two values, so every pass changes every record.
std::string replaced(const std::string& producer) {
    const bool maker = producer.rfind("Maker", 0) == 0;
    return (maker ? "Producer" : "Maker") + producer.substr(producer.find(' '));
}

// ---- the engine

void engineLoad(const std::filesystem::path& dir, std::uint32_t records) {
    shelfwise::engine::createTable(dir, "data.dbf", CatalogueFields());
    Table table;
    OpenCatalogueExclusive(table, dir);
    table.addTag("NAME", "NAME", false);
    AppendCatalogueRecords(table, records);
}

// The loaded table of that size with its UNAME tag, built on first use.
const std::filesystem::path& engineTable(std::uint32_t records) {
    static std::map<std::uint32_t, std::filesystem::path> tables;
    auto [it, made] = tables.try_emplace(records);
    if (made) {
        it->second = RunDirectory("bench-engine");
        engineLoad(it->second, records);
        Table table;
        OpenCatalogueExclusive(table, it->second);
        table.addTag("UNAME", "UPPER(NAME)", false);
    }
    return it->second;
}

void openShared(Table& table, std::uint32_t records, const char* tag) {
    table.setDirectory(engineTable(records));
    table.setFileName("data.dbf");
    table.setTag(tag);
    table.open();
}

// ---- SQLite

using bench_sqlite::Closer;
using bench_sqlite::exec;

using Database = std::unique_ptr<sqlite3, Closer>;
using Statement = std::unique_ptr<sqlite3_stmt, Closer>;

Database openDatabase(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        std::abort();
    }
    return Database(db);
}

Statement prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        std::abort();
    }
    return Statement(statement);
}

void bindText(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.c_str(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void stepDone(sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) {
        std::abort();
    }
    sqlite3_reset(statement);
}

void sqliteLoad(const std::filesystem::path& file, std::uint32_t records) {
    const Database db = openDatabase(file);
    exec(db.get(), "CREATE TABLE catalogue(recno INTEGER, mark TEXT, name TEXT, producer TEXT, "
                   "price REAL, added TEXT, notes TEXT)");
    exec(db.get(), "CREATE INDEX byname ON catalogue(name)");
    exec(db.get(), "BEGIN");
    const Statement insert =
        prepare(db.get(), "INSERT INTO catalogue VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    std::mt19937 random(42);
    for (std::uint32_t i = 1; i <= records; ++i) {
        const CatalogueRecord r = MakeCatalogueRecord(i, random);
        sqlite3_bind_int64(insert.get(), 1, r.number);
        bindText(insert.get(), 2, r.mark);
        bindText(insert.get(), 3, r.name);
        bindText(insert.get(), 4, r.producer);
        sqlite3_bind_double(insert.get(), 5, r.price);
        bindText(insert.get(), 6, r.added);
        if (r.notes.empty()) {
            sqlite3_bind_null(insert.get(), 7);
        } else {
            bindText(insert.get(), 7, r.notes);
        }
        stepDone(insert.get());
    }
    exec(db.get(), "COMMIT");
}

const std::filesystem::path& sqliteTable(std::uint32_t records) {
    static std::map<std::uint32_t, std::filesystem::path> files;
    auto [it, made] = files.try_emplace(records);
    if (made) {
        it->second = RunDirectory("bench-sqlite") / "catalogue.db";
        sqliteLoad(it->second, records);
        exec(openDatabase(it->second).get(), "CREATE INDEX uname ON catalogue(upper(name))");
    }
    return it->second;
}

std::uint32_t records(const benchmark::State& state) {
    return static_cast<std::uint32_t>(state.range(0));
}

// ---- bulk load with the name index

void BM_Engine_BulkLoad(benchmark::State& state) {
    for (auto _ : state) {
        const auto dir = MakeBenchDirectory("bench-engine-load");
        engineLoad(dir, records(state));
        state.PauseTiming();
        std::filesystem::remove_all(dir);
        state.ResumeTiming();
    }
}

void BM_Sqlite_BulkLoad(benchmark::State& state) {
    for (auto _ : state) {
        const auto dir = MakeBenchDirectory("bench-sqlite-load");
        sqliteLoad(dir / "catalogue.db", records(state));
        state.PauseTiming();
        std::filesystem::remove_all(dir);
        state.ResumeTiming();
    }
}

// ---- an index on upper(name) over the loaded table

void BM_Engine_CreateIndex(benchmark::State& state) {
    Table table;
    OpenCatalogueExclusive(table, engineTable(records(state)));
    for (auto _ : state) {
        table.addTag("UNAME2", "UPPER(NAME)", false);
        state.PauseTiming();
        table.deleteTag("UNAME2");
        state.ResumeTiming();
    }
}

void BM_Sqlite_CreateIndex(benchmark::State& state) {
    const Database db = openDatabase(sqliteTable(records(state)));
    for (auto _ : state) {
        exec(db.get(), "CREATE INDEX uname2 ON catalogue(upper(name))");
        state.PauseTiming();
        exec(db.get(), "DROP INDEX uname2");
        state.ResumeTiming();
    }
}

// ---- the 26 letter counts of the tabs, in a new open

void BM_Engine_LetterCounts(benchmark::State& state) {
    engineTable(records(state));
    for (auto _ : state) {
        Table table;
        openShared(table, records(state), "UNAME");
        for (int i = 0; i < 26; ++i) {
            table.setRangeStart({{kName, letter(i)}});
            table.setRangeEnd({{kName, letter(i)}});
            table.applyRange();
            benchmark::DoNotOptimize(table.recordCount());
        }
    }
}

void BM_Sqlite_LetterCounts(benchmark::State& state) {
    const auto& file = sqliteTable(records(state));
    for (auto _ : state) {
        const Database db = openDatabase(file);
        const Statement count =
            prepare(db.get(),
                    "SELECT count(*) FROM catalogue WHERE upper(name) >= ?1 AND upper(name) < ?2");
        for (int i = 0; i < 26; ++i) {
            bindText(count.get(), 1, letter(i));
            bindText(count.get(), 2, letter(i + 1));
            sqlite3_step(count.get());
            benchmark::DoNotOptimize(sqlite3_column_int64(count.get(), 0));
            sqlite3_reset(count.get());
        }
    }
}

// ---- open and read the first 20 records in index order

void BM_Engine_OpenRead20(benchmark::State& state) {
    engineTable(records(state));
    for (auto _ : state) {
        Table table;
        openShared(table, records(state), "UNAME");
        for (int i = 0; i < 20; ++i) {
            benchmark::DoNotOptimize(table.text(kName));
            benchmark::DoNotOptimize(table.text(kProducer));
            table.next();
        }
    }
}

void BM_Sqlite_OpenRead20(benchmark::State& state) {
    const auto& file = sqliteTable(records(state));
    for (auto _ : state) {
        const Database db = openDatabase(file);
        const Statement select =
            prepare(db.get(), "SELECT name, producer FROM catalogue ORDER BY upper(name) LIMIT 20");
        while (sqlite3_step(select.get()) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(select.get(), 0));
            benchmark::DoNotOptimize(sqlite3_column_text(select.get(), 1));
        }
    }
}

// ---- a seek, then 1,000 steps in index order reading the name

void BM_Engine_Seek1000Steps(benchmark::State& state) {
    Table table;
    openShared(table, records(state), "UNAME");
    std::mt19937 random(11);
    for (auto _ : state) {
        table.findKey({{kName, randomKey(random).substr(0, 3)}});
        for (int i = 0; i < 1000 && !table.atEnd(); ++i) {
            benchmark::DoNotOptimize(table.text(kName));
            table.next();
        }
    }
}

void BM_Sqlite_Seek1000Steps(benchmark::State& state) {
    const Database db = openDatabase(sqliteTable(records(state)));
    const Statement select = prepare(
        db.get(), "SELECT name FROM catalogue WHERE upper(name) >= ?1 ORDER BY upper(name)");
    std::mt19937 random(11);
    for (auto _ : state) {
        bindText(select.get(), 1, randomKey(random).substr(0, 3));
        for (int i = 0; i < 1000 && sqlite3_step(select.get()) == SQLITE_ROW; ++i) {
            benchmark::DoNotOptimize(sqlite3_column_text(select.get(), 0));
        }
        sqlite3_reset(select.get());
    }
}

// ---- a seek to a random key

void BM_Engine_RandomSeek(benchmark::State& state) {
    Table table;
    openShared(table, records(state), "UNAME");
    std::mt19937 random(13);
    for (auto _ : state) {
        table.findKey({{kName, randomKey(random)}});
        benchmark::DoNotOptimize(table.recordNumber());
    }
}

void BM_Sqlite_RandomSeek(benchmark::State& state) {
    const Database db = openDatabase(sqliteTable(records(state)));
    const Statement select =
        prepare(db.get(),
                "SELECT rowid FROM catalogue WHERE upper(name) >= ?1 ORDER BY upper(name) LIMIT 1");
    std::mt19937 random(13);
    for (auto _ : state) {
        bindText(select.get(), 1, randomKey(random));
        sqlite3_step(select.get());
        benchmark::DoNotOptimize(sqlite3_column_int64(select.get(), 0));
        sqlite3_reset(select.get());
    }
}

// ---- a durable update of a random record's name, which moves it in both name indexes

void BM_Engine_UpdateMovingKey(benchmark::State& state) {
    Table table;
    openShared(table, records(state), "UNAME");
    std::mt19937 random(17);
    std::uniform_int_distribution<std::uint32_t> record(1, records(state));
    for (auto _ : state) {
        table.goToRecord(record(random));
        table.edit();
        table.setText(kName, RandomName(random));
        table.post();
    }
}

void BM_Sqlite_UpdateMovingKey(benchmark::State& state) {
    const Database db = openDatabase(sqliteTable(records(state)));
    const Statement update = prepare(db.get(), "UPDATE catalogue SET name = ?1 WHERE rowid = ?2");
    std::mt19937 random(17);
    std::uniform_int_distribution<std::uint32_t> record(1, records(state));
    for (auto _ : state) {
        sqlite3_bind_int64(update.get(), 2, record(random));
        bindText(update.get(), 1, RandomName(random));
        stepDone(update.get());
    }
}

// ---- a find/replace loop editing records one by one in physical order. The engine posts
// (and flushes) each record: measured over kEngineLoopRecords records. SQLite the same way
// (one transaction per record) over as many, and over every record in one transaction.

void BM_Engine_EditLoopPerRecord(benchmark::State& state) {
    Table table;
    openShared(table, records(state), "");
    for (auto _ : state) {
        table.first();
        for (std::uint32_t i = 0; i < kEngineLoopRecords; ++i) {
            table.edit();
            table.setText(kProducer, replaced(table.text(kProducer)));
            table.post();
            table.next();
        }
    }
    state.SetItemsProcessed(state.iterations() * kEngineLoopRecords);
}

// The same loop over every record, the engine in batches of 500 records (each batch all or
// nothing and durable at its flush), SQLite in one transaction.
void BM_Engine_EditLoopInBatches(benchmark::State& state) {
    Table table;
    openShared(table, records(state), "");
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        table.beginBatch(500);
        for (table.first(); !table.atEnd(); table.next()) {
            table.edit();
            table.setText(kProducer, replaced(table.text(kProducer)));
            table.post();
        }
        table.endBatch();
    }
    state.SetItemsProcessed(state.iterations() * records(state));
}

// The same loop as a search and replace runs it with the stretch call: a stretch of records
// read under one lock, then their producers written in one call, in batches of 500.
void BM_Engine_EditLoopInStretches(benchmark::State& state) {
    Table table;
    openShared(table, records(state), "");
    bench_waits::Counters waits(state);
    std::vector<std::uint32_t> stretch;
    for (auto _ : state) {
        table.beginBatch(500);
        for (table.first(); !table.atEnd();) {
            stretch.clear();
            table.scan(500, [&] {
                stretch.push_back(table.recordNumber());
                return true;
            });
            const std::uint32_t resume = table.recordNumber();
            const bool atEnd = table.atEnd();
            table.updateRecords(stretch, [&](Table& t, std::size_t) {
                t.setText(kProducer, replaced(t.text(kProducer)));
            });
            if (atEnd || !table.goToRecord(resume)) {
                break;
            }
        }
        table.endBatch();
    }
    state.SetItemsProcessed(state.iterations() * records(state));
}

void sqliteEditLoop(benchmark::State& state, std::uint32_t count, bool oneTransaction) {
    const Database db = openDatabase(sqliteTable(records(state)));
    const Statement select =
        prepare(db.get(), "SELECT rowid, producer FROM catalogue ORDER BY rowid LIMIT ?1");
    const Statement update =
        prepare(db.get(), "UPDATE catalogue SET producer = ?1 WHERE rowid = ?2");
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        if (oneTransaction) {
            exec(db.get(), "BEGIN");
        }
        sqlite3_bind_int64(select.get(), 1, count);
        while (sqlite3_step(select.get()) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select.get(), 1));
            bindText(update.get(), 1, replaced(text));
            sqlite3_bind_int64(update.get(), 2, sqlite3_column_int64(select.get(), 0));
            stepDone(update.get());
        }
        sqlite3_reset(select.get());
        if (oneTransaction) {
            exec(db.get(), "COMMIT");
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_Sqlite_EditLoopPerRecord(benchmark::State& state) {
    sqliteEditLoop(state, kEngineLoopRecords, false);
}

void BM_Sqlite_EditLoopAllInOneTransaction(benchmark::State& state) {
    sqliteEditLoop(state, records(state), true);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100'000)->Arg(1'000'000);
}

#define COMPARED(name, unit, ...)                                                                  \
    BENCHMARK(BM_Engine_##name)->Apply(sizes)->Unit(benchmark::unit) __VA_ARGS__;                  \
    BENCHMARK(BM_Sqlite_##name)->Apply(sizes)->Unit(benchmark::unit) __VA_ARGS__

COMPARED(BulkLoad, kMillisecond, ->Iterations(1));
COMPARED(CreateIndex, kMillisecond, ->Iterations(2));
COMPARED(LetterCounts, kMillisecond, );
COMPARED(OpenRead20, kMicrosecond, );
COMPARED(Seek1000Steps, kMicrosecond, );
COMPARED(RandomSeek, kMicrosecond, );
COMPARED(UpdateMovingKey, kMillisecond, ->Iterations(200));
COMPARED(EditLoopPerRecord, kMillisecond, ->Iterations(1)->UseRealTime());
BENCHMARK(BM_Engine_EditLoopInBatches)
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_Engine_EditLoopInStretches)
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_Sqlite_EditLoopAllInOneTransaction)
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace
