// Writes the template tables into the directory given: "data.dbf" with its memo file and
// production index, "master.dbf" and "list.dbf" with theirs. The widths are documented in
// docs/RECORD-LAYOUT.md; the sort key builder works from them.

#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

using shelfwise::engine::FieldList;

using Tags = std::vector<std::pair<std::string, std::string>>;

const FieldList kDataFields = {
    {"RECORDNO", 'N', 10, 0},  {"MARK", 'C', 1, 0},      {"APPNAME", 'C', 100, 0},
    {"PRODUCER", 'C', 50, 0},  {"CATEGORY", 'C', 40, 0}, {"VERSION", 'C', 20, 0},
    {"SERIAL", 'C', 60, 0},    {"PRICE", 'N', 12, 2},    {"VERDATE", 'D', 8, 0},
    {"INSTDATE", 'D', 8, 0},   {"MEDIA", 'C', 30, 0},    {"OPSYSTEM", 'C', 40, 0},
    {"LOGO", 'B', 10, 0},      {"PHONE", 'C', 30, 0},    {"EMAIL", 'C', 80, 0},
    {"INTERNET", 'C', 254, 0}, {"STATUS", 'C', 30, 0},   {"CUSTOM1", 'C', 50, 0},
    {"CUSTOM2", 'C', 50, 0},   {"CUSTOM3", 'C', 50, 0},  {"CUSTOM4", 'N', 12, 2},
    {"CUSTOM5", 'C', 50, 0},   {"CUSTOM6", 'D', 8, 0},   {"ATTACHMENT", 'C', 254, 0},
    {"NOTES", 'M', 10, 0},     {"PICTURE", 'B', 10, 0},
};

// Entry order and its filtered form, exactly as the sort key builder writes them, so that
// the default sort finds its tag without an exclusive open.
const Tags kDataTags = {
    {"IDX0", "STR(RECORDNO, 20, 4)"},
    {"IDX1", "MARK+STR(RECORDNO, 20, 4)"},
};

const FieldList kMasterFields = {
    {"FILENAME", 'C', 64, 0},
    {"DBNAME", 'C', 60, 0},
    {"DESCRIPT", 'C', 250, 0},
    {"LASTNUMBER", 'N', 10, 0},
};
const Tags kMasterTags = {{"IDX0", "UPPER(FILENAME)"}};

// As wide as the widest lookup field of the record.
const FieldList kListFields = {{"ITEM", 'C', 50, 0}};
const Tags kListTags = {{"IDX", "ITEM"}};

void writeTemplate(const std::filesystem::path& dir, const std::string& base,
                   const FieldList& fields, const Tags& tags) {
    for (const char* ext : {".dbf", ".dbt", ".mdx"}) {
        std::filesystem::remove(dir / (base + ext));
    }
    shelfwise::engine::createTable(dir, base + ".dbf", fields);
    shelfwise::engine::Table table;
    table.setDirectory(dir);
    table.setFileName(base + ".dbf");
    table.setExclusive(true);
    table.open();
    for (const auto& [name, expression] : tags) {
        table.addTag(name, expression, false);
    }
    table.close();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_templates <program directory>\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    try {
        std::filesystem::create_directories(dir);
        writeTemplate(dir, "data", kDataFields, kDataTags);
        writeTemplate(dir, "master", kMasterFields, kMasterTags);
        writeTemplate(dir, "list", kListFields, kListTags);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_templates: %s\n", e.what());
        return 1;
    }
    return 0;
}
