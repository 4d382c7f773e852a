#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace shelfwise::settings {

// Tag bytes of the value stream.
enum class ValueTag : std::uint8_t {
    EndOfList = 0,
    BeginOfList = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    String = 6,
    False = 8,
    True = 9,
    LongString = 12
};

// Builds a value stream: tagged values, always in their smallest form, and raw items that
// carry no tag and whose kind the reader knows from the file's layout.
class ValueStreamWriter {
public:
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(std::int32_t value);
    void WriteString(std::string_view text);
    void WriteBoolean(bool value);

    void WriteByte(std::uint8_t value);
    void WriteInt16(std::int16_t value);
    void WriteInt32(std::int32_t value);
    // Length byte, then the characters; longer texts are cut to 255 characters.
    void WriteShortString(std::string_view text);
    void WriteBlock(std::span<const std::uint8_t> bytes);

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    void WriteTag(ValueTag tag);

    std::vector<std::uint8_t> bytes_;
};

} // namespace shelfwise::settings
