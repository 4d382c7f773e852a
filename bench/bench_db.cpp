// The database manager on a data table of the template's layout: a new sort (the tag built
// over every record and the table reopened on it), the same with the 26 letter counts taken
// as the book window's after-sort hook does, and the letter counts alone.
#include "CatalogueFiller.h"
#include "db/Database.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <map>
#include <memory>

using namespace shelfwise;

namespace {

constexpr std::uint8_t kName = db::FirstDataField; // APPNAME C(100)

// A database directory with `records` records of random titles, open in a TDatabase.
struct Catalogue {
    std::filesystem::path dir;
    settings::Settings settings;
    std::unique_ptr<db::TDatabase> database;

    explicit Catalogue(int records) {
        dir = std::filesystem::temp_directory_path() / ("bench_db_" + std::to_string(records));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        settings.ProgramDir = SHELFWISE_PROGRAM_DIR;
        settings.DatabaseDir = dir;
        platform::SetMessageHook(
            [](const platform::Message& m) { return platform::DefaultAnswer(m.buttons); });
        database = std::make_unique<db::TDatabase>(settings);
        database->OpenDatabase(); // makes the tables
        database->CloseTables();
        bench::FillCatalogue(dir, records,
                             [](int i) { return i % 3 == 0 ? db::MarkFailed : db::MarkPassed; });
        database = std::make_unique<db::TDatabase>(settings);
        database->OpenDatabase();
    }
    ~Catalogue() {
        database.reset();
        std::filesystem::remove_all(dir);
    }
};

Catalogue& catalogue(int records) {
    static std::map<int, std::unique_ptr<Catalogue>> all;
    auto& c = all[records];
    if (!c) {
        c = std::make_unique<Catalogue>(records);
    }
    return *c;
}

// Back to entry order, whose tag the template has, and the tag of `sort` removed, so that
// choosing `sort` builds its tag anew.
void forgetSort(db::TDatabase& database, const db::SortValues& sort) {
    database.Index.RecountLetters = nullptr;
    database.Index.ChangeSort({});
    database.DataTable.close();
    engine::Table table;
    table.setDirectory(database.DataTable.directory());
    table.setFileName(database.DataTable.fileName());
    table.setExclusive(true);
    table.open();
    const db::SortKey key = db::BuildSortKey(
        [&table] {
            engine::FieldList fields;
            for (int i = 0; i < table.fieldCount(); ++i) {
                fields.push_back(table.field(i));
            }
            return fields;
        }(),
        sort);
    for (const engine::TagInfo& tag : table.tags()) {
        if (tag.expression == key.Expression) {
            table.deleteTag(tag.name);
        }
    }
    table.close();
    database.DataTable.open();
}

void newSort(benchmark::State& state, bool withLetterCounts) {
    Catalogue& c = catalogue(static_cast<int>(state.range(0)));
    db::TIndex& index = c.database->Index;
    const db::SortValues sort{kName, false, 0, false};
    for (auto _ : state) {
        state.PauseTiming();
        forgetSort(*c.database, sort);
        if (withLetterCounts) {
            index.RecountLetters = [&index] { index.CountAllLetters(); };
        }
        state.ResumeTiming();
        if (!index.ChangeSort(sort)) {
            state.SkipWithError("the sort failed");
        }
    }
    state.counters["A"] = index.LetterCount('A');
}

void BM_NewSort(benchmark::State& state) {
    newSort(state, false);
}

void BM_NewSortWithLetterCounts(benchmark::State& state) {
    newSort(state, true);
}

void BM_CountAllLetters(benchmark::State& state) {
    Catalogue& c = catalogue(static_cast<int>(state.range(0)));
    db::TIndex& index = c.database->Index;
    index.RecountLetters = nullptr;
    if (!index.ChangeSort({kName, false, 0, false})) {
        state.SkipWithError("the sort failed");
    }
    for (auto _ : state) {
        index.CountAllLetters();
    }
    state.counters["A"] = index.LetterCount('A');
}

} // namespace

BENCHMARK(BM_NewSort)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_NewSortWithLetterCounts)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_CountAllLetters)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
