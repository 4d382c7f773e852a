#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace shelfwise::tools {

// Writes a new table of the template data table's layout holding `records` made-up software
// titles with producers, versions, serial numbers, prices, dates, notes, and small pictures
// (BMP) on some of them. The same records on every run. Fails when the table exists.
void GenerateCatalogue(const std::filesystem::path& directory, const std::string& fileName,
                       std::uint32_t records);

} // namespace shelfwise::tools
