// Writes the template tables into the directory given: "data.dbf" with its memo file and
// production index, "master.dbf" and "list.dbf" with theirs.

#include "TemplateTables.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_templates <program directory>\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    try {
        using namespace shelfwise::tools;
        std::filesystem::create_directories(dir);
        for (const TemplateTable* table : {&DataTemplate(), &MasterTemplate(), &ListTemplate()}) {
            WriteTemplate(dir, table->baseName, *table);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_templates: %s\n", e.what());
        return 1;
    }
    return 0;
}
