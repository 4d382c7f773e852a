#pragma once

#include "db/RecordSchema.h"
#include "engine/Table.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

namespace shelfwise::bench {

// Fills the data table of a database directory, in one bulk load, with `records` titles of 3
// to 30 random letters and their producer, serial number, price and version date. The mark
// field of record i holds markOf(i). The same seed every run, so figures compare.
inline void FillCatalogue(const std::filesystem::path& dir, int records,
                          const std::function<const char*(int)>& markOf) {
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
        table.setText(db::MarkField, markOf(i));
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

// Copies the program directory's template data table into `dir` and fills it as above.
inline void CopyAndFillCatalogue(const std::filesystem::path& programDir,
                                 const std::filesystem::path& dir, int records,
                                 const std::function<const char*(int)>& markOf) {
    for (const char* name : {"data.dbf", "data.dbt", "data.mdx"}) {
        std::filesystem::copy_file(programDir / name, dir / name);
    }
    FillCatalogue(dir, records, markOf);
}

} // namespace shelfwise::bench
