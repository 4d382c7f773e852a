// The book window on a data table of many records: showing a record at a random position
// (loading it into the editors, locking it and redrawing the left page around it) and refilling
// a full left page from a new page start.
#include "book/LeftPage.h"
#include "book/SoftwareBookWindow.h"
#include "db/Database.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
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
        fill(dataDir, records);
        window = std::make_unique<book::TSoftwareBookWindow>(settings);
        window->resize(1280, 860);
        QApplication::processEvents();
    }
    ~Book() {
        window.reset();
        std::filesystem::remove_all(programDir);
    }

    static void fill(const std::filesystem::path& dir, int records) {
        engine::Table table;
        table.setDirectory(dir);
        table.setFileName(db::DataTemplateName);
        table.setExclusive(true);
        table.open();
        table.beginBulkLoad();
        std::mt19937 random(7);
        std::uniform_int_distribution<int> letter('a', 'z');
        std::uniform_int_distribution<int> length(3, 30);
        std::uniform_int_distribution<int> cents(0, 99999);
        std::uniform_int_distribution<int> days(0, 9000);
        const auto firstDay = std::chrono::sys_days(std::chrono::year(2000) / 1 / 1);
        for (int i = 1; i <= records; ++i) {
            std::string name;
            for (int n = length(random); n > 0; --n) {
                name += static_cast<char>(letter(random));
            }
            name[0] = static_cast<char>(name[0] - 'a' + 'A');
            table.append();
            table.setNumber(db::RecordNumberField, i);
            table.setText(db::MarkField, db::MarkPassed);
            table.setText(db::FirstDataField, name);                                // name
            table.setText(db::FirstDataField + 1, name.substr(0, 8) + " Software"); // producer
            table.setText(db::FirstDataField + 4, std::to_string(i % 97));          // serial
            table.setNumber(db::FirstDataField + 5, cents(random) / 100.0);         // price
            table.setDate(db::FirstDataField + 6,
                          std::chrono::year_month_day(firstDay + std::chrono::days(days(random))));
            table.post();
        }
        table.endBulkLoad();
        table.close();
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
