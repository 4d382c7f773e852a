#pragma once

#include "CatalogueFiller.h"
#include "db/Database.h"
#include "settings/Settings.h"

#include <filesystem>

namespace shelfwise::bench {

// A program directory with the template tables, its public database made and its data table
// filled with `records` catalogue titles; `settings` point at it.
inline void MakeCatalogueProgramDir(const std::filesystem::path& programDir,
                                    settings::Settings& settings, int records) {
    const std::filesystem::path dataDir = programDir / "DATA";
    std::filesystem::create_directories(dataDir);
    for (const char* name :
         {"data.dbf", "data.dbt", "data.mdx", "master.dbf", "master.mdx", "list.dbf", "list.mdx"}) {
        std::filesystem::copy_file(std::filesystem::path(SHELFWISE_PROGRAM_DIR) / name,
                                   programDir / name);
    }
    settings.ProgramDir = settings.DataRoot = programDir;
    settings.PublicDir = settings.DataDir = settings.DatabaseDir = dataDir;
    {
        db::TDatabase database(settings);
        database.OpenDatabase(); // makes the tables
    }
    FillCatalogue(dataDir, records, [](int) { return db::MarkPassed; });
}

} // namespace shelfwise::bench
