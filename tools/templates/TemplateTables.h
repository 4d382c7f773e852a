#pragma once

// The template tables every table of the program is copied from. The widths are documented in
// docs/RECORD-LAYOUT.md; the sort key builder works from them.

#include "engine/FieldDescriptor.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace shelfwise::tools {

struct TemplateTable {
    std::string baseName; // "data" for data.dbf with data.dbt and data.mdx
    engine::FieldList fields;
    std::vector<std::pair<std::string, std::string>> tags; // name, expression
};

const TemplateTable& DataTemplate();
const TemplateTable& MasterTemplate();
const TemplateTable& ListTemplate();

// Writes the table under `baseName` into the directory, replacing any files of that name.
void WriteTemplate(const std::filesystem::path& dir, const std::string& baseName,
                   const TemplateTable& table);

} // namespace shelfwise::tools
