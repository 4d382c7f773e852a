// dbfinspect: looks into a dBASE table through the table engine.
//
//   dbfinspect structure TABLE                    fields, record count and tags
//   dbfinspect records TABLE [--tag T] [--limit N]  records, in physical or tag order
//   dbfinspect keys TABLE TAG [--limit N]         keys of a tag in key order
//   dbfinspect check TABLE                        reads every record and memo and compares
//                                                 every tag with the records; exit 1 when
//                                                 anything is damaged

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

constexpr const char* kUsage = "usage: dbfinspect structure TABLE\n"
                               "       dbfinspect records TABLE [--tag TAG] [--limit N]\n"
                               "       dbfinspect keys TABLE TAG [--limit N]\n"
                               "       dbfinspect check TABLE\n";

struct Options {
    std::string command;
    std::string table;
    std::string tag;
    long limit = -1;
};

bool parse(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tag" && i + 1 < argc) {
            options.tag = argv[++i];
        } else if (arg == "--limit" && i + 1 < argc) {
            options.limit = std::strtol(argv[++i], nullptr, 10);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() < 2) {
        return false;
    }
    options.command = positional[0];
    options.table = positional[1];
    if (options.command == "keys") {
        if (positional.size() != 3) {
            return false;
        }
        options.tag = positional[2];
    } else if (positional.size() != 2) {
        return false;
    }
    return true;
}

// Bytes as printable text: control characters and backslashes escaped.
std::string printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
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
    return out;
}

void openTable(Table& table, const Options& options) {
    const std::filesystem::path path(options.table);
    table.setDirectory(path.has_parent_path() ? path.parent_path() : ".");
    table.setFileName(path.filename().string());
    table.setReadOnly(true);
    table.setTag(options.tag);
    table.open();
}

int structure(Table& table) {
    std::cout << "records: " << table.recordCount() << "\n";
    for (int i = 0; i < table.fieldCount(); ++i) {
        const auto& f = table.field(i);
        std::cout << i << "\t" << f.name << "\t" << f.type << "\t" << int(f.width) << "\t"
                  << int(f.decimals) << "\n";
    }
    for (const auto& tag : table.tags()) {
        std::cout << "tag " << tag.name << "\t" << tag.expression
                  << (tag.descending ? "\tdescending" : "") << "\n";
    }
    return 0;
}

std::string fieldText(Table& table, int i) {
    if (table.field(i).type == 'B') {
        return "<" + std::to_string(table.bytes(i).size()) + " bytes>";
    }
    return printable(table.text(i));
}

int records(Table& table, long limit) {
    for (int i = 0; i < table.fieldCount(); ++i) {
        std::cout << (i ? "\t" : "#\t") << table.field(i).name;
    }
    std::cout << "\n";
    for (table.first(); !table.atEnd() && limit != 0; table.next(), --limit) {
        std::cout << table.recordNumber();
        for (int i = 0; i < table.fieldCount(); ++i) {
            std::cout << "\t" << fieldText(table, i);
        }
        std::cout << "\n";
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

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        Table table;
        openTable(table, options);
        if (options.command == "structure") {
            return structure(table);
        }
        if (options.command == "records") {
            return records(table, options.limit);
        }
        if (options.command == "keys") {
            return keys(table, options.limit);
        }
        if (options.command == "check") {
            return check(table);
        }
        std::cerr << kUsage;
        return 2;
    } catch (const EngineError& e) {
        std::cerr << "dbfinspect: " << e.what() << "\n";
        return 1;
    }
}
