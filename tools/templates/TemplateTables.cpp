#include "TemplateTables.h"

#include "engine/Table.h"
#include "engine/TableOperations.h"

namespace shelfwise::tools {

const TemplateTable& DataTemplate() {
    static const TemplateTable table{
        "data",
        {
            {"RECORDNO", 'N', 10, 0},  {"MARK", 'C', 1, 0},      {"APPNAME", 'C', 100, 0},
            {"PRODUCER", 'C', 50, 0},  {"CATEGORY", 'C', 40, 0}, {"VERSION", 'C', 20, 0},
            {"SERIAL", 'C', 60, 0},    {"PRICE", 'N', 12, 2},    {"VERDATE", 'D', 8, 0},
            {"INSTDATE", 'D', 8, 0},   {"MEDIA", 'C', 30, 0},    {"OPSYSTEM", 'C', 40, 0},
            {"LOGO", 'B', 10, 0},      {"PHONE", 'C', 30, 0},    {"EMAIL", 'C', 80, 0},
            {"INTERNET", 'C', 254, 0}, {"STATUS", 'C', 30, 0},   {"CUSTOM1", 'C', 50, 0},
            {"CUSTOM2", 'C', 50, 0},   {"CUSTOM3", 'C', 50, 0},  {"CUSTOM4", 'N', 12, 2},
            {"CUSTOM5", 'C', 50, 0},   {"CUSTOM6", 'D', 8, 0},   {"ATTACHMENT", 'C', 254, 0},
            {"NOTES", 'M', 10, 0},     {"PICTURE", 'B', 10, 0},
        },
        // Entry order and its filtered form, exactly as the sort key builder writes them, so
        // that the default sort finds its tag without an exclusive open.
        {{"IDX0", "STR(RECORDNO, 20, 4)"}, {"IDX1", "MARK+STR(RECORDNO, 20, 4)"}},
    };
    return table;
}

const TemplateTable& MasterTemplate() {
    static const TemplateTable table{
        "master",
        {
            {"FILENAME", 'C', 64, 0},
            {"DBNAME", 'C', 60, 0},
            {"DESCRIPT", 'C', 250, 0},
            {"LASTNUMBER", 'N', 10, 0},
        },
        {{"IDX0", "UPPER(FILENAME)"}},
    };
    return table;
}

const TemplateTable& ListTemplate() {
    // As wide as the widest lookup field of the record.
    static const TemplateTable table{"list", {{"ITEM", 'C', 50, 0}}, {{"IDX", "ITEM"}}};
    return table;
}

void WriteTemplate(const std::filesystem::path& dir, const std::string& baseName,
                   const TemplateTable& table) {
    for (const char* ext : {".dbf", ".dbt", ".mdx"}) {
        std::filesystem::remove(dir / (baseName + ext));
    }
    engine::createTable(dir, baseName + ".dbf", table.fields);
    engine::Table cursor;
    cursor.setDirectory(dir);
    cursor.setFileName(baseName + ".dbf");
    cursor.setExclusive(true);
    cursor.open();
    for (const auto& [name, expression] : table.tags) {
        cursor.addTag(name, expression, false);
    }
    cursor.close();
}

} // namespace shelfwise::tools
