#pragma once

// Public interface of the table engine: reading what is left of a damaged table.

#include "engine/FieldDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace shelfwise::engine {

// One record as a salvage read finds it: its number in the file, its deletion mark, and the
// value of every field as Table::text() gives it (memo values included).
struct SalvagedRecord {
    std::uint32_t recordNumber = 0;
    bool deleted = false;
    std::vector<std::string> values;
};

// What a salvage read found and what it had to skip or correct, each problem naming the
// record, field or header value.
struct SalvageReport {
    FieldList fields;
    std::uint32_t recordsRead = 0;
    std::uint32_t recordsSkipped = 0;
    std::vector<std::string> problems;
};

// Reads a damaged table read-only, for a repair: the field list must be sound, but the
// header length, record length, record count and end byte are not trusted. Every whole
// record the .dbf holds is passed to `visit` in file order; a record whose deletion mark is
// neither blank nor '*' is skipped, and a memo value that cannot be read is given as empty.
// The index is not read. Throws EngineError when the table is missing, its field list is
// damaged, or the table is opened exclusively elsewhere.
SalvageReport salvageTable(const std::filesystem::path& directory, const std::string& fileName,
                           const std::function<void(const SalvagedRecord&)>& visit);

} // namespace shelfwise::engine
