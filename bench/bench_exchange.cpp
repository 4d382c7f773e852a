// Export of 1,000,000 catalogue records to delimited text and import of that file into an
// empty database (batched appends, record numbers reserved per batch), beside SQLite writing
// the same rows to a CSV file and reading them back in transactions of the same size.
#include "CatalogueFiller.h"
#include "WaitCounters.h"
#include "db/Database.h"
#include "exchange/RecordAppender.h"
#include "exchange/TextExchange.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

using namespace shelfwise;

namespace {

constexpr int kRecords = 1'000'000;

std::filesystem::path Root() {
    // One folder a process: runs from several build trees on one machine do not share files.
    static const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("bench_exchange_" + std::to_string(getpid()));
    return root;
}
std::filesystem::path TextFile() {
    return Root() / "export.txt";
}

struct Catalogue {
    settings::Settings settings;
    std::unique_ptr<db::TDatabase> database;

    Catalogue(const std::string& name, int records) {
        settings.ProgramDir = SHELFWISE_PROGRAM_DIR;
        settings.DatabaseDir = Root() / name;
        settings.DataDir = Root();
        std::filesystem::remove_all(settings.DatabaseDir);
        std::filesystem::create_directories(settings.DatabaseDir);
        database = std::make_unique<db::TDatabase>(settings);
        database->OpenDatabase();
        if (records > 0) {
            database->CloseTables();
            bench::FillCatalogue(settings.DatabaseDir, records, [](int) { return db::MarkPassed; });
            database = std::make_unique<db::TDatabase>(settings);
            database->OpenDatabase();
        }
    }
};

exchange::TExchangeOptions Options(const db::TDatabase& database) {
    exchange::TExchangeOptions options;
    options.Separator = ',';
    options.Delimiter = '"';
    options.Fields = exchange::ExchangeFields(database.Fields, database.DataTable.fieldCount());
    return options;
}

Catalogue& Source() {
    static Catalogue catalogue("source", kRecords);
    return catalogue;
}

bool ExportSource() {
    Catalogue& source = Source();
    const auto result =
        exchange::ExportText(*source.database, source.settings, Options(*source.database),
                             QString::fromStdString(TextFile().string()), nullptr);
    return result.Records == kRecords;
}

void BM_ExportText(benchmark::State& state) {
    Source();
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        if (!ExportSource()) {
            state.SkipWithError("not every record was written");
        }
    }
    state.counters["MB"] = double(std::filesystem::file_size(TextFile())) / 1e6;
}

void BM_ImportText(benchmark::State& state) {
    // Run alone, the import makes its file first.
    if (!std::filesystem::exists(TextFile()) && !ExportSource()) {
        state.SkipWithError("the file to import could not be written");
        return;
    }
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        state.PauseTiming();
        Catalogue target("target", 0);
        state.ResumeTiming();
        const auto result =
            exchange::ImportText(*target.database, target.settings, Options(*target.database),
                                 QString::fromStdString(TextFile().string()), nullptr);
        if (result.Imported != kRecords) {
            state.SkipWithError("not every record was imported");
        }
    }
}

struct SqliteClose {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Sqlite = std::unique_ptr<sqlite3, SqliteClose>;

Sqlite OpenSqlite(const std::filesystem::path& file) {
    std::filesystem::remove(file);
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; CREATE TABLE data (recordno INTEGER, mark TEXT, "
                 "appname TEXT, producer TEXT, serial TEXT, price REAL, verdate TEXT);",
                 nullptr, nullptr, nullptr);
    return Sqlite(db);
}

// The source catalogue's rows in a SQLite table.
sqlite3* SqliteSource() {
    static Sqlite db = [] {
        Sqlite made = OpenSqlite(Root() / "source.sqlite");
        engine::Table& t = Source().database->DataTable;
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(made.get(), "INSERT INTO data VALUES (?,?,?,?,?,?,?)", -1, &insert,
                           nullptr);
        sqlite3_exec(made.get(), "BEGIN", nullptr, nullptr, nullptr);
        for (t.first(); !t.atEnd(); t.next()) {
            sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(t.number(0)));
            // mark, name, producer and serial number by table position and SQL parameter
            for (const auto& [position, parameter] : {std::pair{1, 2}, {2, 3}, {3, 4}, {6, 5}}) {
                const std::string text = t.text(position);
                sqlite3_bind_text(insert, parameter, text.c_str(), int(text.size()),
                                  SQLITE_TRANSIENT);
            }
            sqlite3_bind_double(insert, 6, t.number(7));
            const std::string date = t.text(8);
            sqlite3_bind_text(insert, 7, date.c_str(), int(date.size()), SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_exec(made.get(), "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_finalize(insert);
        return made;
    }();
    return db.get();
}

std::filesystem::path SqliteCsv() {
    return Root() / "sqlite.csv";
}

void WriteSqliteCsv(sqlite3* db) {
    FILE* out = std::fopen(SqliteCsv().c_str(), "wb");
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM data ORDER BY rowid", -1, &select, nullptr);
    std::string line;
    while (sqlite3_step(select) == SQLITE_ROW) {
        line.clear();
        for (int c = 0; c < 7; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, c));
            line += c > 0 ? ",\"" : "\"";
            for (const char* p = text != nullptr ? text : ""; *p != 0; ++p) {
                line += *p;
                if (*p == '"') {
                    line += '"';
                }
            }
            line += '"';
        }
        line += "\r\n";
        std::fwrite(line.data(), 1, line.size(), out);
    }
    sqlite3_finalize(select);
    std::fclose(out);
}

void BM_SqliteExportCsv(benchmark::State& state) {
    sqlite3* db = SqliteSource();
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        WriteSqliteCsv(db);
    }
}

void BM_SqliteImportCsv(benchmark::State& state) {
    // Run alone, the import makes its file first.
    if (!std::filesystem::exists(SqliteCsv())) {
        WriteSqliteCsv(SqliteSource());
    }
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        state.PauseTiming();
        Sqlite db = OpenSqlite(Root() / "target.sqlite");
        state.ResumeTiming();
        std::ifstream in(SqliteCsv(), std::ios::binary);
        exchange::TExchangeOptions options;
        options.Separator = ',';
        options.Delimiter = '"';
        exchange::TTextRecordReader reader(in, options, std::vector<bool>(7, false));
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db.get(), "INSERT INTO data VALUES (?,?,?,?,?,?,?)", -1, &insert,
                           nullptr);
        std::vector<std::string> values;
        std::uint32_t inBatch = 0;
        sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr);
        while (reader.Next(values)) {
            for (int c = 0; c < 7; ++c) {
                sqlite3_bind_text(insert, c + 1, values[c].c_str(), int(values[c].size()),
                                  SQLITE_TRANSIENT);
            }
            sqlite3_step(insert);
            sqlite3_reset(insert);
            if (++inBatch == exchange::TRecordAppender::DefaultRecordsPerBatch) {
                sqlite3_exec(db.get(), "COMMIT; BEGIN", nullptr, nullptr, nullptr);
                inBatch = 0;
            }
        }
        sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_finalize(insert);
    }
}

BENCHMARK(BM_ExportText)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ImportText)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SqliteExportCsv)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SqliteImportCsv)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    platform::SetMessageHook(
        [](const platform::Message& m) { return platform::DefaultAnswer(m.buttons); });
    std::filesystem::create_directories(Root());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Root());
    return 0;
}
