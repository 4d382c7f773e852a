// dbftool: looks into and works on dBASE tables through the table engine. Table text is printed
// as UTF-8 (the tables hold Windows-1252); the engine's messages name files by their own (UTF-8)
// names and are printed as they are.

#include "SampleCatalogue.h"
#include "TableText.h"
#include "engine/EngineError.h"
#include "engine/Table.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

using shelfwise::engine::EngineError;
using shelfwise::engine::Table;
using shelfwise::tools::CsvField;
using shelfwise::tools::Utf8FromWindows1252;

constexpr const char* kUsage =
    "usage: dbftool info TABLE                       fields, record count and tags\n"
    "       dbftool dump TABLE [--tag TAG] [--limit N]\n"
    "                                                records as CSV (RFC 4180, UTF-8), in\n"
    "                                                physical or tag order\n"
    "       dbftool keys TABLE TAG [--limit N]       keys of a tag in key order\n"
    "       dbftool check TABLE                      reads every record and memo and compares\n"
    "                                                every tag with the records; exit 1 when\n"
    "                                                anything is damaged\n"
    "       dbftool index TABLE TAG EXPRESSION [--descending]\n"
    "                                                adds a tag\n"
    "       dbftool reindex TABLE                    rebuilds every tag\n"
    "       dbftool pack TABLE                       drops deleted records\n"
    "       dbftool generate TABLE N                 a new table of the data table's layout\n"
    "                                                with N sample software titles\n";

struct Options {
    std::string command;
    std::string table;
    std::vector<std::string> arguments; // after the table
    std::string tag;
    long limit = -1;
    bool descending = false;
};

// Positional arguments each command takes after the table.
int argumentCount(const std::string& command) {
    if (command == "info" || command == "dump" || command == "check" || command == "reindex" ||
        command == "pack") {
        return 0;
    }
    if (command == "keys" || command == "generate") {
        return 1;
    }
    return command == "index" ? 2 : -1;
}

bool parse(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tag" && i + 1 < argc) {
            options.tag = argv[++i];
        } else if (arg == "--limit" && i + 1 < argc) {
            char* end = nullptr;
            options.limit = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || options.limit < 0) {
                return false;
            }
        } else if (arg == "--descending") {
            options.descending = true;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() < 2 ||
        static_cast<int>(positional.size()) - 2 != argumentCount(positional[0])) {
        return false;
    }
    options.command = positional[0];
    options.table = positional[1];
    options.arguments.assign(positional.begin() + 2, positional.end());
    return true;
}

// Bytes as printable UTF-8: control characters and backslashes escaped.
std::string printable(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return Utf8FromWindows1252(out);
}

void openTable(Table& table, const Options& options, bool exclusive) {
    const std::filesystem::path path(options.table);
    table.setDirectory(path.has_parent_path() ? path.parent_path() : ".");
    table.setFileName(path.filename().string());
    table.setExclusive(exclusive);
    table.setReadOnly(!exclusive);
    table.setTag(options.tag);
    table.open();
}

int info(Table& table) {
    std::cout << "records: " << table.recordCount() << "\n";
    for (int i = 0; i < table.fieldCount(); ++i) {
        const auto& f = table.field(i);
        std::cout << i << "\t" << f.name << "\t" << f.type << "\t" << int(f.width) << "\t"
                  << int(f.decimals) << "\n";
    }
    for (const auto& tag : table.tags()) {
        std::cout << "tag " << tag.name << "\t" << printable(tag.expression)
                  << (tag.descending ? "\tdescending" : "") << "\n";
    }
    return 0;
}

// A field as CSV: binary fields as their byte count, everything else as text.
std::string csvValue(const Table& table, int i) {
    if (table.field(i).type == 'B') {
        return std::to_string(table.bytes(i).size());
    }
    return CsvField(Utf8FromWindows1252(table.text(i)));
}

int dump(Table& table, long limit) {
    for (int i = 0; i < table.fieldCount(); ++i) {
        std::cout << (i ? "," : "") << CsvField(table.field(i).name);
    }
    std::cout << "\r\n";
    for (table.first(); !table.atEnd() && limit != 0; table.next(), --limit) {
        for (int i = 0; i < table.fieldCount(); ++i) {
            std::cout << (i ? "," : "") << csvValue(table, i);
        }
        std::cout << "\r\n";
    }
    return 0;
}

int keys(Table& table, long limit) {
    for (table.first(); !table.atEnd() && limit != 0; table.next(), --limit) {
        std::cout << printable(table.key()) << "\t" << table.recordNumber() << "\n";
    }
    return 0;
}

int check(Table& table) {
    int problems = 0;
    for (table.first(); !table.atEnd(); table.next()) {
        for (int i = 0; i < table.fieldCount(); ++i) {
            try {
                table.text(i);
            } catch (const EngineError& e) {
                std::cout << "record " << table.recordNumber() << ": " << e.what() << "\n";
                ++problems;
            }
        }
    }
    for (const std::string& problem : table.checkIndexes()) {
        std::cout << problem << "\n";
        ++problems;
    }
    std::cout << (problems ? "damaged" : "ok") << "\n";
    return problems ? 1 : 0;
}

int run(Options& options) {
    const auto& command = options.command;
    if (command == "generate") {
        char* end = nullptr;
        const unsigned long count = std::strtoul(options.arguments[0].c_str(), &end, 10);
        if (*end != '\0' || count > 0xFFFFFFFFul) {
            std::cerr << kUsage;
            return 2;
        }
        const std::filesystem::path path(options.table);
        shelfwise::tools::GenerateCatalogue(path.has_parent_path() ? path.parent_path() : ".",
                                            path.filename().string(),
                                            static_cast<std::uint32_t>(count));
        return 0;
    }
    Table table;
    if (command == "keys") {
        options.tag = options.arguments[0];
    }
    const bool changes = command == "index" || command == "reindex" || command == "pack";
    openTable(table, options, changes);
    if (command == "info") {
        return info(table);
    }
    if (command == "dump") {
        return dump(table, options.limit);
    }
    if (command == "keys") {
        return keys(table, options.limit);
    }
    if (command == "check") {
        return check(table);
    }
    if (command == "index") {
        table.addTag(options.arguments[0], options.arguments[1], options.descending);
    } else if (command == "reindex") {
        table.regenerateIndexes();
    } else {
        table.pack();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        return run(options);
    } catch (const EngineError& e) {
        std::cerr << "dbftool: " << e.what() << "\n";
        return 1;
    }
}
