// The table viewer on a data table of a million records: opening it (counting the range,
// reading and drawing the first screen of rows), scrolling down one screen, and jumping to a
// random place. SQLite does the same on the same records in the same run: a count and the
// first page, the next page after the last rowid shown, and a page at a random offset.
#include "CatalogueProgramDir.h"
#include "CatalogueRecords.h"
#include "CatalogueSqlite.h"
#include "RunBenchmarks.h"
#include "SqliteHelpers.h"
#include "book/DbEditDlg.h"
#include "book/TableViewModel.h"
#include "db/Database.h"
#include "db/EditCursor.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <random>
#include <sqlite3.h>

using namespace shelfwise;
using bench_sqlite::Closer;

namespace {

constexpr int kRecords = 1'000'000;
// Rows a maximized viewer shows on a 1280 x 860 screen.
constexpr int kScreenRows = 40;

// The records in a database directory, open as the book opens them, and the same records in
// an SQLite file. Made once a run.
struct Catalogue {
    std::filesystem::path programDir = bench::RunDirectory("sw-tableview-bench");
    settings::Settings settings;
    std::unique_ptr<db::TDatabase> database;
    std::unique_ptr<db::TEditCursor> writer;
    std::unique_ptr<sqlite3, Closer> sqlite;

    Catalogue() {
        bench::MakeCatalogueProgramDir(programDir, settings, kRecords);
        database = std::make_unique<db::TDatabase>(settings);
        database->OpenDatabase();
        writer = std::make_unique<db::TEditCursor>(*database);
        writer->Open();

        sqlite3* raw = nullptr;
        sqlite3_open((programDir / "data.sqlite").c_str(), &raw);
        sqlite.reset(raw);
        bench_sqlite::CopyCatalogue(raw, database->DataTable);
    }
    ~Catalogue() {
        sqlite.reset();
        writer.reset();
        database.reset();
    }

    std::unique_ptr<book::TDbEditDlg> Viewer() const {
        auto viewer =
            std::make_unique<book::TDbEditDlg>(*database, *writer, settings, false, nullptr);
        viewer->resize(1280, 860);
        viewer->show();
        // Draws the first screen of rows now, as the first paint would.
        benchmark::DoNotOptimize(viewer->Grid()->viewport()->grab());
        return viewer;
    }
};

Catalogue& Records() {
    static Catalogue catalogue;
    return catalogue;
}

void BM_OpenViewer(benchmark::State& state) {
    Records();
    for (auto _ : state) {
        auto viewer = Records().Viewer();
        benchmark::DoNotOptimize(viewer->Model().rowCount());
        state.counters["rowsKept"] = static_cast<double>(viewer->Model().CachedRows());
        state.PauseTiming();
        viewer.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenViewer)->Iterations(20)->Unit(benchmark::kMillisecond);

// One screen down and drawn; each step starts where the last ended.
void BM_ScrollOneScreen(benchmark::State& state) {
    const auto viewer = Records().Viewer();
    QTableView* grid = viewer->Grid();
    QScrollBar* bar = grid->verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->pageStep());
        benchmark::DoNotOptimize(grid->viewport()->grab());
    }
    // Rows on a screen, and rows read and kept at the end (a screen's rows were drawn).
    state.counters["pageStep"] = bar->pageStep();
    state.counters["rowsKept"] = static_cast<double>(viewer->Model().CachedRows());
}
BENCHMARK(BM_ScrollOneScreen)->Iterations(200)->Unit(benchmark::kMillisecond);

// The scroll bar dragged to a random place: no row there was read before.
void BM_JumpToRandomScreen(benchmark::State& state) {
    const auto viewer = Records().Viewer();
    QTableView* grid = viewer->Grid();
    QScrollBar* bar = grid->verticalScrollBar();
    std::mt19937 random(5);
    std::uniform_int_distribution<int> place(0, bar->maximum());
    for (auto _ : state) {
        bar->setValue(place(random));
        benchmark::DoNotOptimize(grid->viewport()->grab());
    }
    state.counters["rowsKept"] = static_cast<double>(viewer->Model().CachedRows());
}
BENCHMARK(BM_JumpToRandomScreen)->Iterations(200)->Unit(benchmark::kMillisecond);

void ReadRows(sqlite3* db, const std::string& sql, sqlite3_int64* lastRowid = nullptr) {
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr);
    while (sqlite3_step(query) == SQLITE_ROW) {
        for (int column = 0; column < sqlite3_column_count(query); ++column) {
            benchmark::DoNotOptimize(sqlite3_column_text(query, column));
        }
        if (lastRowid != nullptr) {
            *lastRowid = sqlite3_column_int64(query, 0);
        }
    }
    sqlite3_finalize(query);
}

const std::string kRowsSql =
    "SELECT rowid, number, mark, name, producer, serial, price, released FROM data ";

void BM_SqliteCountAndFirstScreen(benchmark::State& state) {
    sqlite3* db = Records().sqlite.get();
    for (auto _ : state) {
        ReadRows(db, "SELECT count(*) FROM data");
        ReadRows(db, kRowsSql + "ORDER BY rowid LIMIT " + std::to_string(kScreenRows));
    }
}
BENCHMARK(BM_SqliteCountAndFirstScreen)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_SqliteNextScreenByRowid(benchmark::State& state) {
    sqlite3* db = Records().sqlite.get();
    sqlite3_int64 last = 0;
    for (auto _ : state) {
        ReadRows(db,
                 kRowsSql + "WHERE rowid > " + std::to_string(last) + " ORDER BY rowid LIMIT " +
                     std::to_string(kScreenRows),
                 &last);
    }
}
BENCHMARK(BM_SqliteNextScreenByRowid)->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_SqliteRandomScreenByOffset(benchmark::State& state) {
    sqlite3* db = Records().sqlite.get();
    std::mt19937 random(5);
    std::uniform_int_distribution<int> place(0, kRecords - kScreenRows);
    for (auto _ : state) {
        ReadRows(db, kRowsSql + "ORDER BY rowid LIMIT " + std::to_string(kScreenRows) + " OFFSET " +
                         std::to_string(place(random)));
    }
}
BENCHMARK(BM_SqliteRandomScreenByOffset)->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return shelfwise::bench::RunBenchmarks(argc, argv);
}
