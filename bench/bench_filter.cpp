// A filter of three conditions (a text, a number and a date) applied to 1,000,000 catalogue
// records, and switching the list between all, passing and failing records through the
// filtered tag; SQLite does the same work on the same records in the same run.

#include "CatalogueFiller.h"
#include "CatalogueRecords.h"
#include "RunBenchmarks.h"
#include "SqliteHelpers.h"
#include "WaitCounters.h"
#include "db/RecordSchema.h"
#include "engine/Table.h"
#include "search/Filter.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sqlite3.h>
#include <string>

namespace {

using namespace shelfwise;

constexpr int kRecords = 1'000'000;
constexpr int kName = db::FirstDataField;
constexpr int kPrice = db::FirstDataField + 5;
constexpr int kReleased = db::FirstDataField + 6;
constexpr const char* kFilteredTag = "BENCHF";
// Rows of one page of the list.
constexpr int kPageRows = 20;

using bench_sqlite::Closer;
using bench_sqlite::exec;

// The conditions; the two price bounds differ in about one record in 60 that meets the rest.
void DefineFilter(search::TFilterList& filter, const char* price) {
    filter.Clear();
    filter.Define(filter.AddField(kName, search::FilterTextType), "M", "", search::FilterTextType,
                  search::FilterOperator::GreaterOrEqual);
    filter.Define(filter.AddField(kPrice, search::FilterFloatType), price, "",
                  search::FilterFloatType, search::FilterOperator::Less);
    filter.Define(filter.AddField(kReleased, search::FilterDateType), "01/01/2010", "",
                  search::FilterDateType, search::FilterOperator::Greater);
}

std::string SqliteUpdate(const char* price) {
    return std::string("UPDATE data SET mark = CASE WHEN upper(name) >= 'M' AND price < ") + price +
           " AND released > '20100101' THEN '2' ELSE '0' END";
}

// The records in a database directory with the mark field leading the filtered tag, and the
// same records in an SQLite file with an index on (mark, name). Made once a run.
struct Catalogue {
    std::filesystem::path dir = bench::RunDirectory("sw-filter-bench");
    std::unique_ptr<sqlite3, Closer> db;

    Catalogue() {
        bench::CopyAndFillCatalogue(SHELFWISE_PROGRAM_DIR, dir, kRecords,
                                    [](int) { return db::MarkFailed; });
        {
            engine::Table table;
            Open(table);
            table.close();
            table.setExclusive(true);
            table.open();
            table.addTag(kFilteredTag,
                         table.field(db::MarkField).name + "+UPPER(SUBSTR(" +
                             table.field(kName).name + ", 1, 60))",
                         false);
        }
        sqlite3* raw = nullptr;
        sqlite3_open((dir / "filter.sqlite").c_str(), &raw);
        db.reset(raw);
        exec(raw, "CREATE TABLE data(number INTEGER, mark TEXT, name TEXT, price REAL, "
                  "released TEXT)");
        exec(raw, "BEGIN");
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(raw, "INSERT INTO data VALUES(?, ?, ?, ?, ?)", -1, &insert, nullptr);
        engine::Table table;
        Open(table);
        for (table.first(); !table.atEnd(); table.next()) {
            sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(table.number(0)));
            const std::string texts[] = {table.text(db::MarkField), table.text(kName)};
            sqlite3_bind_text(insert, 2, texts[0].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, texts[1].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 4, table.number(kPrice));
            const std::string released = table.text(kReleased);
            sqlite3_bind_text(insert, 5, released.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        exec(raw, "COMMIT");
        exec(raw, "CREATE INDEX marked ON data(mark, upper(name))");
    }
    ~Catalogue() { db.reset(); }
    void Open(engine::Table& table) const {
        table.setDirectory(dir);
        table.setFileName(db::DataTemplateName);
        table.open();
    }
};

Catalogue& Records() {
    static Catalogue catalogue;
    return catalogue;
}

// Each iteration moves the price bound, so the records between the bounds change their marks.
void BM_ApplyThreeConditions(benchmark::State& state) {
    engine::Table table;
    Records().Open(table);
    search::TFilterList filter;
    DefineFilter(filter, "500");
    filter.ApplyToAll(table);
    bool wide = true;
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        DefineFilter(filter, wide ? "550" : "500");
        const search::TApplyResult result = filter.ApplyToAll(table, [](int) {
            QCoreApplication::processEvents();
            return true;
        });
        state.counters["passed"] = result.Passed;
        wide = !wide;
    }
}
BENCHMARK(BM_ApplyThreeConditions)->Iterations(2)->Unit(benchmark::kMillisecond);

// The filter applied again unchanged: every record is read and evaluated, none written.
void BM_ApplyMarksAlreadyRight(benchmark::State& state) {
    engine::Table table;
    Records().Open(table);
    search::TFilterList filter;
    DefineFilter(filter, "500");
    filter.ApplyToAll(table);
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(filter.ApplyToAll(table).Passed);
    }
}
BENCHMARK(BM_ApplyMarksAlreadyRight)->Iterations(2)->Unit(benchmark::kMillisecond);

// All, passing, failing: the tag and range laid on the table, its count (the list's scroll
// range) and the first page of rows read.
void BM_SwitchLists(benchmark::State& state) {
    engine::Table table;
    Records().Open(table);
    const char* marks[] = {nullptr, db::MarkPassed, db::MarkFailed};
    int list = 0;
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        const char* mark = marks[list];
        table.cancelRange();
        table.setTag(mark == nullptr ? std::string() : kFilteredTag);
        if (mark != nullptr) {
            table.setRangeStart({{db::MarkField, mark}});
            table.setRangeEnd({{db::MarkField, mark}});
            table.applyRange();
        }
        benchmark::DoNotOptimize(table.recordCount());
        table.first();
        for (int row = 0; row < kPageRows && !table.atEnd(); ++row) {
            benchmark::DoNotOptimize(table.text(kName));
            table.next();
        }
        list = (list + 1) % 3;
    }
}
BENCHMARK(BM_SwitchLists)->Iterations(30)->Unit(benchmark::kMillisecond);

void BM_SqliteApplyThreeConditions(benchmark::State& state) {
    sqlite3* db = Records().db.get();
    bool wide = true;
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        exec(db, SqliteUpdate(wide ? "550" : "500").c_str());
        wide = !wide;
    }
}
BENCHMARK(BM_SqliteApplyThreeConditions)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_SqliteSwitchLists(benchmark::State& state) {
    sqlite3* db = Records().db.get();
    const char* queries[][2] = {
        {"SELECT count(*) FROM data", "SELECT name FROM data ORDER BY rowid LIMIT 20"},
        {"SELECT count(*) FROM data WHERE mark = '2'",
         "SELECT name FROM data WHERE mark = '2' ORDER BY upper(name) LIMIT 20"},
        {"SELECT count(*) FROM data WHERE mark = '0'",
         "SELECT name FROM data WHERE mark = '0' ORDER BY upper(name) LIMIT 20"}};
    int list = 0;
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        for (const char* sql : queries[list]) {
            sqlite3_stmt* query = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &query, nullptr);
            while (sqlite3_step(query) == SQLITE_ROW) {
                benchmark::DoNotOptimize(sqlite3_column_text(query, 0));
            }
            sqlite3_finalize(query);
        }
        list = (list + 1) % 3;
    }
}
BENCHMARK(BM_SqliteSwitchLists)->Iterations(30)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return shelfwise::bench::RunBenchmarks(argc, argv);
}
