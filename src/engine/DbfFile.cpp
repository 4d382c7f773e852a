#include "engine/DbfFile.h"

#include "engine/RecordBuffer.h"

namespace shelfwise::engine {

void DbfFile::create(const std::filesystem::path& path, const DbfHeader& header) {
    std::string bytes = header.serialize();
    bytes.push_back(kEndOfFile);
    PosixFile file = PosixFile::create(path);
    file.writeAt(bytes.data(), bytes.size(), 0);
    file.sync();
}

DbfFile::DbfFile(const std::filesystem::path& path, PosixFile::Access access)
    : file_(path, access) {}

void DbfFile::readRecord(std::uint32_t n, RecordBuffer& record) const {
    if (n == 0 || n > header_.recordCount()) {
        file_.fail("record " + std::to_string(n) + " does not exist",
                   EngineError::Reason::NotFound);
    }
    file_.readAt(record.data(), record.size(), header_.recordOffset(n), "a record");
}

void DbfFile::readRecords(std::uint32_t first, std::uint32_t count, std::string& bytes,
                          bool forUpdate) {
    if (first == 0 || count > header_.recordCount() || first > header_.recordCount() - count + 1) {
        file_.fail("records " + std::to_string(first) + " to " +
                       std::to_string(std::uint64_t(first) + count - 1) + " do not exist",
                   EngineError::Reason::NotFound);
    }
    bytes.resize(std::size_t(count) * header_.recordLength());
    if (forUpdate) {
        file_.readForUpdate(bytes.data(), bytes.size(), header_.recordOffset(first), "a record");
    } else {
        file_.readAt(bytes.data(), bytes.size(), header_.recordOffset(first), "a record");
    }
}

void DbfFile::writeRecord(std::uint32_t n, const RecordBuffer& record) {
    if (n <= header_.recordCount()) {
        file_.writeAt(record.data(), record.size(), header_.recordOffset(n));
        return;
    }
    std::string bytes = record.bytes();
    bytes.push_back(kEndOfFile);
    file_.writeAt(bytes.data(), bytes.size(), header_.recordOffset(n));
}

void DbfFile::writeHeader() {
    file_.writeAt(header_.fixedPart().data(), DbfHeader::kFixedSize, 0);
}

bool DbfFile::refreshHeader() {
    std::array<std::uint8_t, DbfHeader::kFixedSize> fixed{};
    file_.readAt(fixed.data(), fixed.size(), 0, "the table header");
    const std::uint16_t headerLength = header_.headerLength();
    const std::uint16_t recordLength = header_.recordLength();
    if (!header_.adoptFixedPart(fixed)) {
        return false;
    }
    if (header_.headerLength() != headerLength || header_.recordLength() != recordLength) {
        file_.fail("the table's structure was changed by another program",
                   EngineError::Reason::Damaged);
    }
    return true;
}

} // namespace shelfwise::engine
