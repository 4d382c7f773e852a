#pragma once

// The catalogue-shaped records the table benchmarks load: the same records, in the same order,
// on every run and into every store that is compared.

#include "engine/FieldDescriptor.h"
#include "engine/Table.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace shelfwise::bench {

// RECNO N(8), MARK C(1), NAME C(60), PRODUCER C(40), PRICE N(10,2), ADDED D, NOTES M.
inline engine::FieldList CatalogueFields() {
    return {{"RECNO", 'N', 8, 0},     {"MARK", 'C', 1, 0},   {"NAME", 'C', 60, 0},
            {"PRODUCER", 'C', 40, 0}, {"PRICE", 'N', 10, 2}, {"ADDED", 'D', 8, 0},
            {"NOTES", 'M', 10, 0}};
}

inline std::string RandomName(std::mt19937& random) {
    static const char* const words[] = {"Office", "Studio", "Paint", "Tax",   "Photo", "Music",
                                        "Zip",    "Mail",   "Net",   "Write", "Draw",  "Code"};
    std::string name;
    for (int i = 0; i < 3; ++i) {
        name += words[random() % 12];
        name += ' ';
    }
    return name + std::to_string(random() % 100000);
}

struct CatalogueRecord {
    std::uint32_t number = 0;
    std::string mark;
    std::string name;
    std::string producer;
    double price = 0;
    std::string added; // YYYYMMDD
    std::string notes; // on every tenth record
};

// Record `number` (1-based) of the sequence the generator started with seed 42 gives.
inline CatalogueRecord MakeCatalogueRecord(std::uint32_t number, std::mt19937& random) {
    CatalogueRecord r;
    r.number = number;
    r.mark = number % 3 ? "2" : "0";
    r.name = RandomName(random);
    r.producer = "Producer " + std::to_string(random() % 500);
    r.price = static_cast<double>(random() % 100000) / 100.0;
    r.added = "2020" + std::to_string(101 + random() % 12).substr(1) + "15";
    if (number % 10 == 0) {
        r.notes = "Notes on record " + std::to_string(number);
    }
    return r;
}

// Opens the directory's catalogue table, "data.dbf", exclusively.
inline void OpenCatalogueExclusive(engine::Table& table, const std::filesystem::path& dir) {
    table.setDirectory(dir);
    table.setFileName("data.dbf");
    table.setExclusive(true);
    table.open();
}

// Appends records 1 to `count` in one bulk load (an exclusive open).
inline void AppendCatalogueRecords(engine::Table& table, std::uint32_t count) {
    std::mt19937 random(42);
    table.beginBulkLoad();
    for (std::uint32_t i = 1; i <= count; ++i) {
        const CatalogueRecord r = MakeCatalogueRecord(i, random);
        table.append();
        table.setNumber(0, r.number);
        table.setText(1, r.mark);
        table.setText(2, r.name);
        table.setText(3, r.producer);
        table.setNumber(4, r.price);
        table.setText(5, r.added);
        if (!r.notes.empty()) {
            table.setText(6, r.notes);
        }
        table.post();
    }
    table.endBulkLoad();
}

inline std::filesystem::path MakeBenchDirectory(const char* prefix) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    return pattern;
}

// A directory for the whole run, removed with its files when the program ends.
inline std::filesystem::path RunDirectory(const char* prefix) {
    struct Directories {
        std::vector<std::filesystem::path> all;
        ~Directories() {
            for (const auto& dir : all) {
                std::filesystem::remove_all(dir);
            }
        }
    };
    static Directories directories;
    directories.all.push_back(MakeBenchDirectory(prefix));
    return directories.all.back();
}

} // namespace shelfwise::bench
