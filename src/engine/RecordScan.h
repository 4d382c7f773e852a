#pragma once

// Internal: not part of the engine's public interface.

#include <cstdint>
#include <string>

namespace shelfwise::engine {

class DbfFile;

// Reads the records of a table in physical order, a megabyte per read, for the operations
// that visit all of them (counting, packing, building tags, checking).
class RecordScan {
public:
    explicit RecordScan(const DbfFile& dbf);

    // The bytes of the next record, deleted ones included; nullptr after the last.
    const char* next();
    // Number (1-based) of the record next() returned last.
    std::uint32_t number() const { return number_; }

private:
    const DbfFile& dbf_;
    std::uint32_t total_;
    std::uint32_t perChunk_;
    std::uint32_t number_ = 0;
    std::uint32_t chunkFirst_ = 1;
    std::uint32_t chunkRecords_ = 0;
    std::string chunk_;
};

} // namespace shelfwise::engine
