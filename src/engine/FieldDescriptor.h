#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace shelfwise::engine {

// One field of a table as its descriptor in the .dbf header gives it.
struct FieldDescriptor {
    std::string name; // upper case, at most 10 characters
    char type = 'C';  // C, N, F, D, L, M, B
    std::uint8_t width = 0;
    std::uint8_t decimals = 0;
    std::uint32_t offset = 0; // from the record's start: the deleted flag is byte 0
};

using FieldList = std::vector<FieldDescriptor>;

} // namespace shelfwise::engine
