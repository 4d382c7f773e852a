// The book window on a data table of many records: showing a record at a random position
// (loading it into the editors, locking it and redrawing the left page around it), refilling
// a full left page from a new page start, synchronizing the left page with a random record,
// and, sorted by name with letter tabs, the next page, the next record, a letter tab click,
// synchronizing with a record of another letter and a sort change that builds a new index tag.
#include "CatalogueProgramDir.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "book/SoftwareBookWindow.h"
#include "book/SortCommands.h"
#include "db/Database.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <QAbstractButton>
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
        bench::MakeCatalogueProgramDir(programDir, settings, records);
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
        window.RecordPage()->ShowRecordAt(position(random));
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
        window.Navigator()->SetPageStart(start(random));
        window.Navigator()->RedrawPage();
    }
    state.counters["rows"] = rows;
}

// Synchronize on a random record of the range, the left page shown elsewhere (not timed):
// the record's position found, its page drawn and the record loaded again. Sorted by name,
// the record's letter differs from the letter shown, so its tab is laid first.
void synchronize(benchmark::State& state, book::TSoftwareBookWindow& window, bool byLetter) {
    book::TNavigator& navigator = *window.Navigator();
    db::TDatabase& database = window.Database();
    std::mt19937 random(17);
    std::uniform_int_distribution<int> letter(0, book::LetterCount - 1);
    for (auto _ : state) {
        state.PauseTiming();
        const char shown = static_cast<char>('A' + letter(random));
        if (byLetter) {
            navigator.ShowLetter(shown);
        }
        const auto count = static_cast<int>(database.RecordCount(database.DataTable));
        window.RecordPage()->ShowRecordAt(std::uniform_int_distribution<int>(0, count - 1)(random));
        if (byLetter) {
            navigator.ShowLetter(shown == 'Z' ? 'A' : static_cast<char>(shown + 1));
        } else {
            window.Navigator()->SetPageStart(0);
        }
        state.ResumeTiming();
        navigator.Synchronize();
    }
}

void BM_Synchronize(benchmark::State& state) {
    synchronize(state, *book(static_cast<int>(state.range(0))).window, false);
}

// The window sorted by name, letter tabs on, showing letter "A".
book::TSoftwareBookWindow& byName(int records) {
    book::TSoftwareBookWindow& window = *book(records).window;
    db::TIndex& index = window.Database().Index;
    if (index.Sort.PrimaryField != db::FirstDataField) {
        index.SaveSort();
        index.Sort = {db::FirstDataField, false, 0, false};
        window.SortCommands()->ApplySortChange();
    }
    return window;
}

void BM_PageDown(benchmark::State& state) {
    book::TSoftwareBookWindow& window = byName(static_cast<int>(state.range(0)));
    book::TNavigator& navigator = *window.Navigator();
    const QAbstractButton* pageDown = window.findChild<QAbstractButton*>(QStringLiteral("B_PgDn"));
    navigator.ShowLetter('A');
    int letters = 1;
    for (auto _ : state) {
        // At the end of "Z" the pages begin again at "A".
        if (!pageDown->isEnabled()) {
            navigator.ShowLetter('A');
        }
        const char letter = navigator.CurrentLetter();
        navigator.NextPage();
        letters += navigator.CurrentLetter() != letter ? 1 : 0;
    }
    state.counters["letters"] = letters;
}

void BM_NextRecord(benchmark::State& state) {
    book::TSoftwareBookWindow& window = byName(static_cast<int>(state.range(0)));
    book::TNavigator& navigator = *window.Navigator();
    navigator.ShowLetter('M');
    window.RecordPage()->ShowRecordAt(0);
    for (auto _ : state) {
        navigator.NextRecord();
    }
}

void BM_LetterTab(benchmark::State& state) {
    book::TSoftwareBookWindow& window = byName(static_cast<int>(state.range(0)));
    int letter = 0;
    for (auto _ : state) {
        window.LetterBar()->Tab(letter)->click();
        letter = (letter + 7) % book::LetterCount;
    }
}

void BM_SynchronizeByLetter(benchmark::State& state) {
    synchronize(state, byName(static_cast<int>(state.range(0))), true);
}

// Each iteration sorts by a field that has no index tag yet, so the tag is built.
void BM_SortNewField(benchmark::State& state) {
    book::TSoftwareBookWindow& window = byName(static_cast<int>(state.range(0)));
    db::TIndex& index = window.Database().Index;
    const std::uint8_t fields[] = {db::FirstDataField + 1, db::FirstDataField + 4,
                                   db::FirstDataField + 5, db::FirstDataField + 6};
    std::size_t next = 0;
    for (auto _ : state) {
        index.SaveSort();
        index.Sort = {fields[next++ % std::size(fields)], false, 0, false};
        window.SortCommands()->ApplySortChange();
    }
    state.counters["tags"] = static_cast<double>(window.Database().DataTable.tags().size());
}

} // namespace

BENCHMARK(BM_ShowRecord)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawPage)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
// Before the sort by name below, in the entry order.
BENCHMARK(BM_Synchronize)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageDown)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextRecord)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LetterTab)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SynchronizeByLetter)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
// Four fields without a tag: one iteration each.
BENCHMARK(BM_SortNewField)
    ->Arg(10'000)
    ->Arg(1'000'000)
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond);

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
