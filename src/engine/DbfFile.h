#pragma once

// Internal: not part of the engine's public interface.

#include "engine/DbfHeader.h"
#include "engine/PosixFile.h"

#include <cstdint>
#include <filesystem>

namespace shelfwise::engine {

class RecordBuffer;

// The .dbf file of an open table: its header kept in memory and its records read and written
// one at a time, each with a single pread or pwrite, or a run of them in one read.
class DbfFile {
public:
    static constexpr char kEndOfFile = 0x1A;

    // Writes a table with no records: header, field list and the end-of-file byte.
    static void create(const std::filesystem::path& path, const DbfHeader& header);

    // Opens the file; the header is read by readHeader(), so the caller can lock first.
    DbfFile(const std::filesystem::path& path, PosixFile::Access access);
    void readHeader() { header_ = DbfHeader::read(file_); }

    PosixFile& file() { return file_; }
    const PosixFile& file() const { return file_; }
    const DbfHeader& header() const { return header_; }
    DbfHeader& header() { return header_; }

    // Reads record `n` (1-based, within the record count).
    void readRecord(std::uint32_t n, RecordBuffer& record) const;
    // Reads `count` records from record `first` on (within the record count) with one read;
    // `forUpdate`: some of them are about to be written (PosixFile::readForUpdate).
    void readRecords(std::uint32_t first, std::uint32_t count, std::string& bytes, bool forUpdate);
    // Writes record `n`; a record past the last one is followed by the end-of-file byte.
    void writeRecord(std::uint32_t n, const RecordBuffer& record);
    void writeHeader();
    // Re-reads the fixed part of the header; true when another writer changed it. Throws when
    // the table's structure changed under this open.
    bool refreshHeader();
    void sync() { file_.sync(); }

private:
    PosixFile file_;
    DbfHeader header_;
};

} // namespace shelfwise::engine
