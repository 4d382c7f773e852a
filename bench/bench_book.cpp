// The book window on a data table of many records: showing a record at a random position
// (loading it into the editors, locking it and redrawing the left page around it) and refilling
// a full left page from a new page start.
#include "CatalogueFiller.h"
#include "book/LeftPage.h"
#include "book/SoftwareBookWindow.h"
#include "db/Database.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <map>
#include <memory>
#include <random>

using namespace shelfwise;

namespace {

// A program directory with the template tables and a data table of `records` records of
// random titles, open in a book window of a large screen's size.
struct Book {
    std::filesystem::path programDir;
    settings::Settings settings;
    std::unique_ptr<book::TSoftwareBookWindow> window;

    explicit Book(int records) {
        programDir =
            std::filesystem::temp_directory_path() / ("bench_book_" + std::to_string(records));
        std::filesystem::remove_all(programDir);
        const std::filesystem::path dataDir = programDir / "DATA";
        std::filesystem::create_directories(dataDir);
        for (const char* name : {"data.dbf", "data.dbt", "data.mdx", "master.dbf", "master.mdx",
                                 "list.dbf", "list.mdx"}) {
            std::filesystem::copy_file(std::filesystem::path(SHELFWISE_PROGRAM_DIR) / name,
                                       programDir / name);
        }
        settings.ProgramDir = settings.DataRoot = programDir;
        settings.PublicDir = settings.DataDir = settings.DatabaseDir = dataDir;
        {
            db::TDatabase database(settings);
            database.OpenDatabase(); // makes the tables
        }
        bench::FillCatalogue(dataDir, records, [](int) { return db::MarkPassed; });
        window = std::make_unique<book::TSoftwareBookWindow>(settings);
        window->resize(1280, 860);
        QApplication::processEvents();
    }
    ~Book() {
        window.reset();
        std::filesystem::remove_all(programDir);
    }
};

// Made once a run; freed before the QApplication goes.
std::map<int, std::unique_ptr<Book>> books;

Book& book(int records) {
    auto& b = books[records];
    if (!b) {
        b = std::make_unique<Book>(records);
    }
    return *b;
}

void BM_ShowRecord(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    book::TSoftwareBookWindow& window = *book(records).window;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> position(0, records - 1);
    for (auto _ : state) {
        window.ShowRecordAt(position(random));
    }
    state.counters["rows"] = static_cast<double>(window.LeftPage()->RowButtons().size());
    state.counters["records"] = window.Database().DataTable.recordCount();
}

void BM_RedrawPage(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    book::TSoftwareBookWindow& window = *book(records).window;
    const int rows = static_cast<int>(window.LeftPage()->RowButtons().size());
    std::mt19937 random(13);
    std::uniform_int_distribution<int> start(0, records - rows);
    for (auto _ : state) {
        window.SetPageStart(start(random));
        window.RedrawPage();
    }
    state.counters["rows"] = rows;
}

} // namespace

BENCHMARK(BM_ShowRecord)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawPage)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The window needs a QApplication; without a display it runs on the offscreen platform.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    platform::SetUnattended(true);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    books.clear();
    return 0;
}
