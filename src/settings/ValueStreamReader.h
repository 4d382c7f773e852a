#pragma once

#include "settings/ByteCursor.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace shelfwise::settings {

// Reads a value stream. Every item that is missing, cut short or has an unexpected tag throws
// ReadError.
class ValueStreamReader {
public:
    explicit ValueStreamReader(std::span<const std::uint8_t> data) : cursor_(data) {}

    void ReadListBegin();
    void ReadListEnd();
    // True when the next item starts with the end-of-list byte 0; it is not consumed.
    bool EndOfList() const;
    std::int32_t ReadInteger(); // any integer form
    std::string ReadString();   // short or long form
    bool ReadBoolean();

    std::uint8_t ReadByte();
    std::int16_t ReadInt16();
    std::int32_t ReadInt32();
    std::string ReadShortString();
    std::vector<std::uint8_t> ReadBlock(std::size_t size);

    bool AtEnd() const { return cursor_.AtEnd(); }

private:
    std::uint8_t ReadTag();
    std::string ReadChars(std::size_t size);

    ByteCursor cursor_;
};

} // namespace shelfwise::settings
