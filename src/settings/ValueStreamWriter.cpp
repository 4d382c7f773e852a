#include "settings/ValueStreamWriter.h"

#include <algorithm>
#include <limits>

namespace shelfwise::settings {

void ValueStreamWriter::WriteTag(ValueTag tag) {
    bytes_.push_back(static_cast<std::uint8_t>(tag));
}

void ValueStreamWriter::WriteListBegin() {
    WriteTag(ValueTag::BeginOfList);
}

void ValueStreamWriter::WriteListEnd() {
    WriteTag(ValueTag::EndOfList);
}

void ValueStreamWriter::WriteInteger(std::int32_t value) {
    if (value >= std::numeric_limits<std::int8_t>::min() &&
        value <= std::numeric_limits<std::int8_t>::max()) {
        WriteTag(ValueTag::Int8);
        WriteByte(static_cast<std::uint8_t>(value));
    } else if (value >= std::numeric_limits<std::int16_t>::min() &&
               value <= std::numeric_limits<std::int16_t>::max()) {
        WriteTag(ValueTag::Int16);
        WriteInt16(static_cast<std::int16_t>(value));
    } else {
        WriteTag(ValueTag::Int32);
        WriteInt32(value);
    }
}

void ValueStreamWriter::WriteString(std::string_view text) {
    if (text.size() < 256) {
        WriteTag(ValueTag::String);
        WriteShortString(text);
    } else {
        WriteTag(ValueTag::LongString);
        WriteInt32(static_cast<std::int32_t>(text.size()));
        WriteBlock({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
}

void ValueStreamWriter::WriteBoolean(bool value) {
    WriteTag(value ? ValueTag::True : ValueTag::False);
}

void ValueStreamWriter::WriteByte(std::uint8_t value) {
    bytes_.push_back(value);
}

void ValueStreamWriter::WriteInt16(std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    bytes_.push_back(static_cast<std::uint8_t>(bits));
    bytes_.push_back(static_cast<std::uint8_t>(bits >> 8));
}

void ValueStreamWriter::WriteInt32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        bytes_.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
}

void ValueStreamWriter::WriteShortString(std::string_view text) {
    const auto size = std::min<std::size_t>(text.size(), 255);
    WriteByte(static_cast<std::uint8_t>(size));
    WriteBlock({reinterpret_cast<const std::uint8_t*>(text.data()), size});
}

void ValueStreamWriter::WriteBlock(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

} // namespace shelfwise::settings
