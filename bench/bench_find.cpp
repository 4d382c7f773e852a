// The search loop over 1,000,000 catalogue records, and SQLite doing the same work on the same
// records in the same run: finding the one record that matches (the last one) across every
// field, the non-stop pass writing every record's mark (each pass flips every mark), and
// Replace writing one value into one field of every record. The engine's loops ask for the
// user's input as the Find and Replace windows do (at most every 20 ms).

#include "CatalogueFiller.h"
#include "CatalogueSqlite.h"
#include "RunBenchmarks.h"
#include "SqliteHelpers.h"
#include "WaitCounters.h"
#include "db/RecordSchema.h"
#include "engine/Table.h"
#include "search/Finder.h"
#include "search/Replacer.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sqlite3.h>
#include <string>

namespace {

using namespace shelfwise;

constexpr int kRecords = 1'000'000;
// Names are letters only, so no other record holds this.
const char* const kUnique = "Unique 7 title";

using bench_sqlite::Closer;
using bench_sqlite::exec;

// The data table of a database directory with the catalogue records, the last one named so
// that only it matches, and the same records in an SQLite file. Made once a run.
struct Catalogue {
    std::filesystem::path dir;
    std::unique_ptr<sqlite3, Closer> db;

    Catalogue() {
        dir = std::filesystem::temp_directory_path() /
              ("sw-find-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        for (const char* name : {"data.dbf", "data.dbt", "data.mdx"}) {
            std::filesystem::copy_file(std::filesystem::path(SHELFWISE_PROGRAM_DIR) / name,
                                       dir / name);
        }
        bench::FillCatalogue(dir, kRecords, [](int) { return db::MarkFailed; });
        engine::Table table;
        Open(table);
        table.last();
        table.edit();
        table.setText(db::FirstDataField, kUnique);
        table.post();

        sqlite3* raw = nullptr;
        sqlite3_open((dir / "find.sqlite").c_str(), &raw);
        db.reset(raw);
        bench_sqlite::CopyCatalogue(raw, table);
    }
    ~Catalogue() {
        db.reset();
        std::filesystem::remove_all(dir);
    }
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

// The search loop on a cursor of its own on the records, asking for the user's input as the
// Find window does: at most every 20 ms.
struct Search {
    engine::Table table;
    db::TFieldClasses fields;
    std::unique_ptr<search::TFinder> finder;
    std::chrono::steady_clock::time_point last{};

    explicit Search(const std::string& tag) {
        Records().Open(table);
        table.setTag(tag);
        fields.Build(table);
        finder = std::make_unique<search::TFinder>(table, fields);
        finder->ShouldStop = [] { return false; };
        finder->LetEventsRun = [this] {
            const auto now = std::chrono::steady_clock::now();
            if (now - last >= std::chrono::milliseconds(20)) {
                last = now;
                QCoreApplication::processEvents();
            }
        };
    }
};

void BM_FindOnlyTheLastRecord(benchmark::State& state) {
    Search run(db::MasterTag);
    search::TFinder& finder = *run.finder;
    finder.SetSkipMemos(state.range(0) == 1);
    finder.SetSearchText("e 7 t", QStringLiteral("mm/dd/yyyy"));
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        finder.Begin(true, 0);
        if (finder.Step(true) != search::StepResult::Hit ||
            finder.RecordCounter() != kRecords - 1) {
            state.SkipWithError("the last record was not found");
        }
    }
}
BENCHMARK(BM_FindOnlyTheLastRecord)
    ->ArgName("skipMemos")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

void BM_NonStopFlipsEveryMark(benchmark::State& state) {
    Search run("");
    bool all = true;
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        // " Software" is in every producer; the unique name in one record.
        run.finder->SetSearchText(all ? " software" : kUnique, QStringLiteral("mm/dd/yyyy"));
        if (run.finder->MarkAll().Found != (all ? kRecords : 1)) {
            state.SkipWithError("wrong count");
        }
        all = !all;
    }
}
BENCHMARK(BM_NonStopFlipsEveryMark)->Iterations(2)->Unit(benchmark::kMillisecond);

// The common case of a repeated search: every mark already says what the pass finds, so the
// pass reads every record and writes none.
void BM_NonStopMarksAlreadyRight(benchmark::State& state) {
    Search run("");
    run.finder->SetSearchText(kUnique, QStringLiteral("mm/dd/yyyy"));
    run.finder->MarkAll();
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        if (run.finder->MarkAll().Found != 1) {
            state.SkipWithError("wrong count");
        }
    }
}
BENCHMARK(BM_NonStopMarksAlreadyRight)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_SqliteFindOnlyTheLastRecord(benchmark::State& state) {
    sqlite3* db = Records().db.get();
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT number FROM data WHERE name LIKE '%e 7 t%' OR producer LIKE "
                       "'%e 7 t%' OR serial LIKE '%e 7 t%' LIMIT 1",
                       -1, &query, nullptr);
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        if (sqlite3_step(query) != SQLITE_ROW || sqlite3_column_int64(query, 0) != kRecords) {
            state.SkipWithError("the last record was not found");
        }
        sqlite3_reset(query);
    }
    sqlite3_finalize(query);
}
BENCHMARK(BM_SqliteFindOnlyTheLastRecord)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_SqliteMarkEveryRecord(benchmark::State& state) {
    sqlite3* db = Records().db.get();
    bool all = true;
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        exec(db,
             all ? "UPDATE data SET mark = CASE WHEN name LIKE '% software%' OR producer "
                   "LIKE '% software%' OR serial LIKE '% software%' THEN '2' ELSE '0' END"
                 : "UPDATE data SET mark = CASE WHEN name LIKE '%unique 7 title%' OR producer LIKE "
                   "'%unique 7 title%' OR serial LIKE '%unique 7 title%' THEN '2' ELSE '0' END");
        all = !all;
    }
}
BENCHMARK(BM_SqliteMarkEveryRecord)->Iterations(2)->Unit(benchmark::kMillisecond);

// Replace walks the entry order, as the book lists it, and writes in batches. Each pass writes
// a new value into every record; both keep " software" in every producer.
constexpr int kProducer = db::FirstDataField + 1;
const char* const kProducers[] = {"Replaced Software", "Other Software"};

void BM_ReplaceEveryRecord(benchmark::State& state) {
    Search run(db::MasterTag);
    search::TReplacer replacer(run.table);
    replacer.ShouldStop = [] { return false; };
    replacer.LetEventsRun = run.finder->LetEventsRun;
    int pass = 0;
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        run.table.setTag(db::MasterTag);
        search::TReplaceSettings settings;
        settings.Field = kProducer;
        settings.Value = kProducers[pass++ % 2];
        settings.FromFirst = true;
        if (replacer.Run(settings).Replaced != kRecords) {
            state.SkipWithError("not every record was replaced");
        }
    }
}
BENCHMARK(BM_ReplaceEveryRecord)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_SqliteReplaceEveryRecord(benchmark::State& state) {
    sqlite3* db = Records().db.get();
    int pass = 0;
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        const std::string update =
            std::string("UPDATE data SET producer = '") + kProducers[pass++ % 2] + "'";
        exec(db, update.c_str());
    }
}
BENCHMARK(BM_SqliteReplaceEveryRecord)->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return shelfwise::bench::RunBenchmarks(argc, argv);
}
