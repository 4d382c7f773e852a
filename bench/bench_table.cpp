// Table engine: appending a million records, reading in physical and tag order, posting an
// edit, counting a key range, finding a record's position. One table of 1,000,000 records is
// built once per run.

#include "CatalogueRecords.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>
#include <string>

namespace {

using shelfwise::bench::AppendCatalogueRecords;
using shelfwise::bench::CatalogueFields;
using shelfwise::bench::MakeBenchDirectory;
using shelfwise::bench::OpenCatalogueExclusive;
using shelfwise::bench::RandomName;
using shelfwise::bench::RunDirectory;
using shelfwise::engine::Table;

constexpr std::uint32_t kRecords = 1'000'000;

// The shared million-record table with a tag on UPPER(NAME), built on first use.
const std::filesystem::path& millionTable() {
    static const std::filesystem::path dir = [] {
        std::filesystem::path d = RunDirectory("bench-table");
        shelfwise::engine::createTable(d, "data.dbf", CatalogueFields());
        Table table;
        OpenCatalogueExclusive(table, d);
        AppendCatalogueRecords(table, kRecords);
        table.addTag("IDX1", "UPPER(NAME)", false);
        return d;
    }();
    return dir;
}

void openShared(Table& table, const char* tag) {
    table.setDirectory(millionTable());
    table.setFileName("data.dbf");
    table.setTag(tag);
    table.open();
}

void BM_AppendMillionBulk(benchmark::State& state) {
    for (auto _ : state) {
        const std::filesystem::path dir = MakeBenchDirectory("bench-table");
        shelfwise::engine::createTable(dir, "data.dbf", CatalogueFields());
        Table table;
        OpenCatalogueExclusive(table, dir);
        AppendCatalogueRecords(table, kRecords);
        table.close();
        state.PauseTiming();
        std::filesystem::remove_all(dir);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_AppendMillionBulk)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_AddTagOnMillion(benchmark::State& state) {
    Table table;
    OpenCatalogueExclusive(table, millionTable());
    for (auto _ : state) {
        table.addTag("BYPROD", "UPPER(PRODUCER)+STR(PRICE, 10, 2)", false);
        state.PauseTiming();
        table.deleteTag("BYPROD");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddTagOnMillion)->Unit(benchmark::kMillisecond)->Iterations(2);

void readNext1000(benchmark::State& state, const char* tag) {
    Table table;
    openShared(table, tag);
    for (auto _ : state) {
        table.first();
        for (int i = 0; i < 1000; ++i) {
            table.next();
            benchmark::DoNotOptimize(table.text(2));
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_Next1000Physical(benchmark::State& state) {
    readNext1000(state, "");
}
BENCHMARK(BM_Next1000Physical)->Unit(benchmark::kMicrosecond);

void BM_Next1000Tag(benchmark::State& state) {
    readNext1000(state, "IDX1");
}
BENCHMARK(BM_Next1000Tag)->Unit(benchmark::kMicrosecond);

void BM_OpenAndRead20InTagOrder(benchmark::State& state) {
    millionTable();
    for (auto _ : state) {
        Table table;
        openShared(table, "IDX1");
        for (int i = 0; i < 20; ++i) {
            benchmark::DoNotOptimize(table.text(2));
            table.next();
        }
    }
}
BENCHMARK(BM_OpenAndRead20InTagOrder)->Unit(benchmark::kMicrosecond);

// Jumping half way through the tag, as a page list does to reach a position.
void BM_MoveByHalfInTagOrder(benchmark::State& state) {
    Table table;
    openShared(table, "IDX1");
    for (auto _ : state) {
        table.first();
        benchmark::DoNotOptimize(table.moveBy(kRecords / 2));
    }
}
BENCHMARK(BM_MoveByHalfInTagOrder)->Unit(benchmark::kMicrosecond);

// An edit that moves the record in the tag, posted with its flush to disk.
void BM_PostEdit(benchmark::State& state) {
    Table table;
    openShared(table, "IDX1");
    std::mt19937 random(7);
    for (auto _ : state) {
        table.edit();
        table.setText(2, RandomName(random));
        table.post();
    }
}
BENCHMARK(BM_PostEdit)->Unit(benchmark::kMicrosecond);

// A record left unchanged, as the book window posts it when the user moves on.
void BM_PostUnchanged(benchmark::State& state) {
    Table table;
    openShared(table, "IDX1");
    for (auto _ : state) {
        table.edit();
        table.setText(2, table.text(2));
        table.post();
    }
}
BENCHMARK(BM_PostUnchanged)->Unit(benchmark::kMicrosecond);

// A loop editing records that moves each one's key (a replace over the table), in batches
// flushed every 500 records; per record.
void BM_EditLoopInBatches(benchmark::State& state) {
    Table table;
    openShared(table, "");
    std::mt19937 random(13);
    table.first();
    table.beginBatch(500);
    for (auto _ : state) {
        table.edit();
        table.setText(2, RandomName(random));
        table.post();
        table.next();
    }
    table.endBatch();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EditLoopInBatches)->Unit(benchmark::kMicrosecond);

// An append with a memo value, posted with its flush to disk.
void BM_PostAppend(benchmark::State& state) {
    Table table;
    openShared(table, "IDX1");
    std::mt19937 random(11);
    for (auto _ : state) {
        table.append();
        table.setText(2, RandomName(random));
        table.setText(6, "Notes on an appended record");
        table.post();
    }
}
BENCHMARK(BM_PostAppend)->Unit(benchmark::kMicrosecond);

// The records of one letter, as the letter tabs count them.
void BM_RecordCountInRange(benchmark::State& state) {
    Table table;
    openShared(table, "IDX1");
    table.setRangeStart({{2, "M"}});
    table.setRangeEnd({{2, "M\xFF"}});
    table.applyRange();
    std::uint32_t count = 0;
    for (auto _ : state) {
        count = table.recordCount();
        benchmark::DoNotOptimize(count);
    }
    state.counters["records"] = count;
}
BENCHMARK(BM_RecordCountInRange)->Unit(benchmark::kMicrosecond);

// The 26 letter counts of a new open, as the letter tabs show them at a start sorted by name.
void BM_LetterCountsAfterOpen(benchmark::State& state) {
    millionTable();
    for (auto _ : state) {
        Table table;
        openShared(table, "IDX1");
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            table.setRangeStart({{2, std::string(1, letter)}});
            table.setRangeEnd({{2, std::string(1, letter) + "\xFF"}});
            table.applyRange();
            benchmark::DoNotOptimize(table.recordCount());
        }
    }
}
BENCHMARK(BM_LetterCountsAfterOpen)->Unit(benchmark::kMillisecond);

// Going to a random record and taking its position, as Synchronize does; in tag order, and in
// physical order once a record is deleted (so the deletion marks before it are read).
void recordPosition(benchmark::State& state, const char* tag) {
    Table table;
    openShared(table, tag);
    if (table.goToRecord(kRecords)) {
        table.deleteRecord();
    }
    table.recordPosition(); // builds the tag's counts or the live count outside the figures
    std::mt19937 random(5);
    std::uniform_int_distribution<std::uint32_t> record(1, kRecords - 1);
    for (auto _ : state) {
        table.goToRecord(record(random));
        benchmark::DoNotOptimize(table.recordPosition());
    }
}

void BM_RecordPositionTag(benchmark::State& state) {
    recordPosition(state, "IDX1");
}
BENCHMARK(BM_RecordPositionTag)->Unit(benchmark::kMicrosecond);

void BM_RecordPositionPhysical(benchmark::State& state) {
    recordPosition(state, "");
}
BENCHMARK(BM_RecordPositionPhysical)->Unit(benchmark::kMillisecond);

} // namespace
