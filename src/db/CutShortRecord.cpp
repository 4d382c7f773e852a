#include "db/CutShortRecord.h"

#include <array>
#include <cstdint>
#include <fstream>

namespace shelfwise::db {

namespace {

// Fixed part of a .dbf header: record count at 4 (32 bits), header length at 8 and record
// length at 10 (16 bits each), all little-endian.
constexpr std::size_t kFixedPart = 12;

std::uint32_t ReadLittleEndian(const std::array<unsigned char, kFixedPart>& bytes, std::size_t at,
                               std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = (value << 8) | bytes[at + i];
    }
    return value;
}

} // namespace

bool DropCutShortRecord(const std::filesystem::path& table) {
    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(table, error);
    if (error) {
        return false;
    }
    std::fstream file(table, std::ios::in | std::ios::out | std::ios::binary);
    std::array<unsigned char, kFixedPart> fixed{};
    if (!file.read(reinterpret_cast<char*>(fixed.data()), fixed.size())) {
        return false;
    }
    const std::uint32_t count = ReadLittleEndian(fixed, 4, 4);
    const std::uint32_t headerLength = ReadLittleEndian(fixed, 8, 2);
    const std::uint32_t recordLength = ReadLittleEndian(fixed, 10, 2);
    if (count == 0 || recordLength == 0 || headerLength < kFixedPart || fileSize < headerLength) {
        return false;
    }
    const std::uintmax_t whole = (fileSize - headerLength) / recordLength;
    // Only the last record may be missing a part; anything more is other damage.
    if (whole + 1 != count) {
        return false;
    }
    const std::uint32_t kept = count - 1;
    const std::array<char, 4> bytes = {
        static_cast<char>(kept & 0xFF), static_cast<char>((kept >> 8) & 0xFF),
        static_cast<char>((kept >> 16) & 0xFF), static_cast<char>((kept >> 24) & 0xFF)};
    file.seekp(4);
    file.write(bytes.data(), bytes.size());
    file.flush();
    return static_cast<bool>(file);
}

} // namespace shelfwise::db
