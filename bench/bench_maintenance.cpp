// The maintenance operations on a catalogue of the template's layout (a memo on every tenth
// record): pack with a tenth of the records deleted, repair, backup and restore, and deleting
// the records of a filter (a tenth of them), each with its progress window open as the
// maintenance dialog has it, beside SQLite doing the equivalent in the same run: VACUUM after
// the same deletions, a copy into a fresh indexed table, VACUUM INTO, and one DELETE.
// Records: --records=N (default 1,000,000); the other arguments are the benchmark library's.
#include "CatalogueFiller.h"
#include "RunBenchmarks.h"
#include "SqliteHelpers.h"
#include "WaitCounters.h"
#include "book/PercentDlg.h"
#include "db/Database.h"
#include "db/Maintenance.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"
#include "search/Filter.h"
#include "settings/Settings.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

using namespace shelfwise;
using bench_sqlite::Closer;
using bench_sqlite::exec;

namespace {

int records = 1000000;

const std::filesystem::path& pristine() {
    static const std::filesystem::path dir = [] {
        const auto d = std::filesystem::temp_directory_path() / "bench_maint_pristine";
        std::filesystem::remove_all(d);
        std::filesystem::create_directories(d);
        settings::Settings s;
        s.ProgramDir = SHELFWISE_PROGRAM_DIR;
        s.DatabaseDir = d;
        platform::SetMessageHook(
            [](const platform::Message& m) { return platform::DefaultAnswer(m.buttons); });
        {
            db::TDatabase database(s);
            database.OpenDatabase();
        }
        // Every tenth record passes the filter and is the one deleted before a pack.
        bench::FillCatalogue(d, records,
                             [](int i) { return i % 10 == 0 ? db::MarkPassed : db::MarkFailed; });
        engine::Table t;
        t.setDirectory(d);
        t.setFileName(db::DataTemplateName);
        t.open();
        const int memo = db::FirstDataField + 22;
        t.beginBatch(5000);
        std::uint32_t n = 0;
        for (t.first(); !t.atEnd(); t.next()) {
            if (++n % 10 == 1) {
                t.edit();
                t.setText(memo, "Notes of record " + std::to_string(n));
                t.post();
            }
        }
        t.endBatch();
        return d;
    }();
    return dir;
}

// A fresh copy of the catalogue, open as the program has it.
struct Work {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "bench_maint_work";
    settings::Settings settings;
    std::unique_ptr<db::TDatabase> database;

    Work() {
        std::filesystem::remove_all(dir);
        std::filesystem::copy(pristine(), dir, std::filesystem::copy_options::recursive);
        settings.ProgramDir = SHELFWISE_PROGRAM_DIR;
        settings.DatabaseDir = dir;
        database = std::make_unique<db::TDatabase>(settings);
        database->OpenDatabase();
    }
    ~Work() {
        database.reset();
        std::filesystem::remove_all(dir);
    }
    // The marked records, as a filter leaves them, deleted.
    void deleteMarked() {
        engine::Table& t = database->DataTable;
        std::vector<std::uint32_t> numbers;
        for (t.first(); !t.atEnd(); t.next()) {
            if (t.text(db::MarkField) == db::MarkPassed) {
                numbers.push_back(t.recordNumber());
            }
        }
        t.beginBatch(5000);
        t.deleteRecords(numbers);
        t.endBatch();
    }
};

// One run (the benchmarks are registered with one iteration): the preparation untimed, the
// operation timed with its progress window open.
void maintenance(benchmark::State& state, const std::function<void(Work&)>& prepare,
                 const std::function<bool(db::TMaintenance&, Work&)>& run) {
    auto work = std::make_unique<Work>();
    prepare(*work);
    db::TMaintenance m(*work->database, work->settings);
    {
        bench_waits::Counters waits(state);
        for (auto _ : state) {
            book::TProgressWindow progress(*work->database, nullptr,
                                           QStringLiteral("Maintenance Progress"));
            if (!run(m, *work)) {
                state.SkipWithError("the operation failed");
            }
        }
    }
    state.counters["records"] = records;
}

void BM_Pack(benchmark::State& state) {
    maintenance(
        state, [](Work& w) { w.deleteMarked(); },
        [](db::TMaintenance& m, Work& w) { return m.PackTable(w.database->DataTable, true); });
}

void BM_Repair(benchmark::State& state) {
    maintenance(
        state, [](Work&) {},
        [](db::TMaintenance& m, Work& w) {
            int bad = 0;
            return m.RepairTable(w.database->DataTable, bad);
        });
}

void BM_Backup(benchmark::State& state) {
    maintenance(
        state, [](Work&) {},
        [](db::TMaintenance& m, Work& w) {
            int bad = 0;
            return m.BackupTable(w.database->DataTable, bad);
        });
}

void BM_Restore(benchmark::State& state) {
    maintenance(
        state,
        [](Work& w) {
            int bad = 0;
            db::TMaintenance(*w.database, w.settings).BackupTable(w.database->DataTable, bad);
        },
        [](db::TMaintenance& m, Work& w) {
            int bad = 0;
            return m.RestoreTable(w.database->DataTable, bad, true);
        });
}

void BM_DeleteSelected(benchmark::State& state) {
    maintenance(
        state,
        [](Work& w) {
            w.database->Index.Sort = {};
            w.database->Index.ChangeFilter(db::FilterState::fsNormal);
        },
        [](db::TMaintenance& m, Work& w) {
            search::TFilterList filter;
            const auto result =
                m.DeleteSelected(w.database->DataTable, [&](const engine::Table& t) {
                    return search::StillSelected(filter, t, db::FilterState::fsNormal);
                });
            return result.Deleted == static_cast<std::uint32_t>(records / 10);
        });
}

// SQLite: the same records in one indexed table.
struct Sqlite {
    std::filesystem::path file = std::filesystem::temp_directory_path() / "bench_maint.sqlite";
    std::unique_ptr<sqlite3, Closer> db;

    Sqlite() {
        std::filesystem::remove(file);
        sqlite3* handle = nullptr;
        sqlite3_open(file.c_str(), &handle);
        db.reset(handle);
        exec(db.get(), "CREATE TABLE data(num INTEGER, mark TEXT, name TEXT, producer TEXT, "
                       "serial TEXT, price REAL, version TEXT, notes TEXT)");
        exec(db.get(), "BEGIN");
        std::unique_ptr<sqlite3_stmt, Closer> insert;
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db.get(), "INSERT INTO data VALUES(?,?,?,?,?,?,?,?)", -1, &statement,
                           nullptr);
        insert.reset(statement);
        for (int i = 1; i <= records; ++i) {
            const std::string name = "Title " + std::to_string(i * 7919 % 1000003);
            sqlite3_bind_int(statement, 1, i);
            sqlite3_bind_text(statement, 2, i % 10 == 0 ? "2" : "0", -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 3, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(statement, 4, (name.substr(0, 8) + " Software").c_str(), -1,
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(statement, 5, std::to_string(i % 97).c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(statement, 6, i % 100000 / 100.0);
            sqlite3_bind_text(statement, 7, "2010-01-01", -1, SQLITE_STATIC);
            if (i % 10 == 1) {
                sqlite3_bind_text(statement, 8, ("Notes of record " + std::to_string(i)).c_str(),
                                  -1, SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_null(statement, 8);
            }
            sqlite3_step(statement);
            sqlite3_reset(statement);
        }
        exec(db.get(), "COMMIT");
        exec(db.get(), "CREATE INDEX idx0 ON data(num)");
        exec(db.get(), "CREATE INDEX idx1 ON data(mark, num)");
    }
    ~Sqlite() {
        db.reset();
        std::filesystem::remove(file);
        std::filesystem::remove(file.string() + ".bak");
    }
};

void sqlite(benchmark::State& state, const char* prepare, const char* run) {
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<Sqlite>();
        if (prepare != nullptr) {
            exec(s->db.get(), prepare);
        }
        state.ResumeTiming();
        exec(s->db.get(), run);
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
    }
    state.counters["records"] = records;
}

void BM_SqlitePack(benchmark::State& state) {
    sqlite(state, "DELETE FROM data WHERE mark = '2'", "VACUUM");
}

void BM_SqliteCopyIntoFreshTable(benchmark::State& state) {
    sqlite(state, nullptr,
           "BEGIN; CREATE TABLE fresh AS SELECT * FROM data WHERE 0; CREATE INDEX f0 ON "
           "fresh(num); CREATE INDEX f1 ON fresh(mark, num); INSERT INTO fresh SELECT * FROM "
           "data; DROP TABLE data; ALTER TABLE fresh RENAME TO data; COMMIT");
}

void BM_SqliteBackup(benchmark::State& state) {
    const std::string into =
        "VACUUM INTO '" +
        (std::filesystem::temp_directory_path() / "bench_maint.sqlite.bak").string() + "'";
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<Sqlite>();
        std::filesystem::remove(s->file.string() + ".bak");
        state.ResumeTiming();
        exec(s->db.get(), into.c_str());
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
    }
    state.counters["records"] = records;
}

void BM_SqliteDeleteSelected(benchmark::State& state) {
    sqlite(state, nullptr, "DELETE FROM data WHERE mark = '2'");
}

} // namespace

BENCHMARK(BM_Pack)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Repair)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Backup)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Restore)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_DeleteSelected)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SqlitePack)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SqliteCopyIntoFreshTable)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SqliteBackup)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SqliteDeleteSelected)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// --records=N is taken out of the arguments before the benchmark library sees them. The
// progress window needs a QApplication; without a display it runs on the offscreen platform.
int main(int argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--records=", 10) == 0) {
            records = std::atoi(argv[i] + 10);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return shelfwise::bench::RunBenchmarks(argc, argv);
}
