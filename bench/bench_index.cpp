// The .mdx index alone: building a tag of 1,000,000 keys, seeking, stepping, counting a range
// (and all 26 letters on a fresh open), single inserts, and opening an index to read its first
// 20 entries.
#include "engine/MdxFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <random>

using namespace shelfwise::engine;

namespace {

constexpr std::size_t kKeys = 1'000'000;
constexpr std::size_t kKeyLength = 50; // as UPPER() of a 50-character name field

// Name-like keys: an upper-case word or two, blank-padded; record numbers in table order.
std::vector<IndexEntry> makeEntries(std::size_t count) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> letter('A', 'Z');
    std::uniform_int_distribution<int> length(4, 24);
    std::vector<IndexEntry> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto& key = entries[i].key;
        for (int n = length(random); n > 0; --n) {
            key += static_cast<char>(letter(random));
        }
        key.resize(kKeyLength, ' ');
        entries[i].record = static_cast<std::uint32_t>(i + 1);
    }
    return entries;
}

const std::vector<IndexEntry>& entries() {
    static const auto all = makeEntries(kKeys);
    return all;
}

IndexEntrySource sourceOf(const std::vector<IndexEntry>& all) {
    return [&all, next = std::size_t{0}](IndexEntry& entry) mutable {
        if (next == all.size()) {
            return false;
        }
        entry = all[next++];
        return true;
    };
}

const MdxTagInfo kTag{"NAME", "UPPER(NAME)", false, KeyType::Character, kKeyLength};

std::filesystem::path indexPath(const char* name) {
    return std::filesystem::temp_directory_path() / name;
}

// One index of 1,000,000 keys shared by the reading benchmarks, removed at exit.
struct SharedIndex {
    std::filesystem::path path = indexPath("bench_index_shared.mdx");
    std::unique_ptr<MdxFile> file;

    SharedIndex() {
        MdxFile::create(path, "BENCH");
        file = std::make_unique<MdxFile>(path, MdxFile::Mode::ReadWrite);
        file->addTag(kTag, sourceOf(entries()));
    }
    ~SharedIndex() {
        file.reset();
        std::filesystem::remove(path);
    }
};

SharedIndex& shared() {
    static SharedIndex index;
    return index;
}

MdxFile& sharedIndex() {
    return *shared().file;
}

void BM_BuildTag(benchmark::State& state) {
    const auto& all = entries();
    const auto path = indexPath("bench_index_build.mdx");
    for (auto _ : state) {
        MdxFile::create(path, "BENCH");
        MdxFile index(path, MdxFile::Mode::ReadWrite);
        index.addTag(kTag, sourceOf(all));
    }
    state.counters["keys"] = static_cast<double>(all.size());
    std::filesystem::remove(path);
}
BENCHMARK(BM_BuildTag)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Seek(benchmark::State& state) {
    auto cursor = sharedIndex().cursor("NAME");
    std::mt19937 random(1);
    std::uniform_int_distribution<std::size_t> pick(0, kKeys - 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(cursor.seek(entries()[pick(random)].key.substr(0, 6)));
    }
}
BENCHMARK(BM_Seek)->Unit(benchmark::kMicrosecond);

void BM_Next1000(benchmark::State& state) {
    auto cursor = sharedIndex().cursor("NAME");
    std::mt19937 random(2);
    std::uniform_int_distribution<std::size_t> pick(0, kKeys - 1);
    for (auto _ : state) {
        state.PauseTiming();
        cursor.seek(entries()[pick(random)].key);
        state.ResumeTiming();
        for (int i = 0; i < 1000 && cursor.next(); ++i) {
        }
    }
}
BENCHMARK(BM_Next1000)->Unit(benchmark::kMicrosecond);

// One letter of the letter tabs: about 1/26 of the keys.
void BM_CountLetterRange(benchmark::State& state) {
    auto& index = sharedIndex();
    std::uint64_t count = 0;
    for (auto _ : state) {
        count = index.count("NAME", "M", "M");
    }
    state.counters["entries"] = static_cast<double>(count);
}
BENCHMARK(BM_CountLetterRange)->Unit(benchmark::kMicrosecond);

// The 26 letters on a fresh open: the first count builds the subtree counts of the whole tag.
void BM_CountAllLettersAfterOpen(benchmark::State& state) {
    const auto& path = shared().path;
    std::uint64_t total = 0;
    for (auto _ : state) {
        MdxFile index(path, MdxFile::Mode::ReadOnly);
        total = 0;
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            const std::string prefix(1, letter);
            total += index.count("NAME", prefix, prefix);
        }
    }
    state.counters["entries"] = static_cast<double>(total);
}
BENCHMARK(BM_CountAllLettersAfterOpen)->Unit(benchmark::kMillisecond);

void BM_InsertAndRemove(benchmark::State& state) {
    auto& index = sharedIndex();
    std::mt19937 random(3);
    std::uniform_int_distribution<std::size_t> pick(0, kKeys - 1);
    std::uint32_t record = kKeys + 1;
    for (auto _ : state) {
        const auto& key = entries()[pick(random)].key;
        index.insert("NAME", key, record);
        index.remove("NAME", key, record);
        ++record;
    }
}
BENCHMARK(BM_InsertAndRemove)->Unit(benchmark::kMicrosecond);

void BM_OpenAndFirst20(benchmark::State& state) {
    const auto& path = shared().path;
    for (auto _ : state) {
        MdxFile index(path, MdxFile::Mode::ReadOnly);
        auto cursor = index.cursor("NAME");
        int read = cursor.first() ? 1 : 0;
        while (read < 20 && cursor.next()) {
            ++read;
        }
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_OpenAndFirst20)->Unit(benchmark::kMicrosecond);

} // namespace
