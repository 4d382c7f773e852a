#pragma once

#include <cstdlib>
#include <filesystem>

namespace shelfwise::test {

// The build's program directory, which holds the generated template tables; ctest names it,
// a run outside ctest falls back to the one the suite was built with.
inline std::filesystem::path BuildProgramDir() {
    const char* dir = std::getenv("SHELFWISE_PROGRAM_DIR");
    return dir != nullptr ? dir : BUILD_PROGRAM_DIR;
}

// Copies the template tables the database is made from into a program directory.
inline void CopyTemplateTables(const std::filesystem::path& programDir) {
    for (const char* name :
         {"data.dbf", "data.dbt", "data.mdx", "master.dbf", "master.mdx", "list.dbf", "list.mdx"}) {
        std::filesystem::copy_file(BuildProgramDir() / name, programDir / name);
    }
}

} // namespace shelfwise::test
