#include "settings/ValueStreamReader.h"

#include "settings/ReadError.h"
#include "settings/ValueStreamWriter.h"

namespace shelfwise::settings {

namespace {

template <typename T> T Required(std::optional<T> item) {
    if (!item) {
        throw ReadError("Unexpected end of data");
    }
    return *item;
}

ReadError UnexpectedTag(std::uint8_t tag) {
    return ReadError("Unexpected value tag " + std::to_string(tag));
}

void Expect(std::uint8_t tag, ValueTag expected) {
    if (tag != static_cast<std::uint8_t>(expected)) {
        throw UnexpectedTag(tag);
    }
}

} // namespace

std::uint8_t ValueStreamReader::ReadTag() {
    return Required(cursor_.Byte());
}

std::string ValueStreamReader::ReadChars(std::size_t size) {
    auto block = Required(cursor_.Block(size));
    return {block.begin(), block.end()};
}

void ValueStreamReader::ReadListBegin() {
    Expect(ReadTag(), ValueTag::BeginOfList);
}

void ValueStreamReader::ReadListEnd() {
    Expect(ReadTag(), ValueTag::EndOfList);
}

bool ValueStreamReader::EndOfList() const {
    return Required(cursor_.Peek()) == static_cast<std::uint8_t>(ValueTag::EndOfList);
}

std::int32_t ValueStreamReader::ReadInteger() {
    const auto tag = ReadTag();
    switch (static_cast<ValueTag>(tag)) {
    case ValueTag::Int8:
        return static_cast<std::int8_t>(ReadByte());
    case ValueTag::Int16:
        return ReadInt16();
    case ValueTag::Int32:
        return ReadInt32();
    default:
        throw UnexpectedTag(tag);
    }
}

std::string ValueStreamReader::ReadString() {
    const auto tag = ReadTag();
    switch (static_cast<ValueTag>(tag)) {
    case ValueTag::String:
        return ReadShortString();
    case ValueTag::LongString: {
        const auto size = static_cast<std::uint32_t>(ReadInt32());
        return ReadChars(size);
    }
    default:
        throw UnexpectedTag(tag);
    }
}

bool ValueStreamReader::ReadBoolean() {
    const auto tag = ReadTag();
    switch (static_cast<ValueTag>(tag)) {
    case ValueTag::False:
        return false;
    case ValueTag::True:
        return true;
    default:
        throw UnexpectedTag(tag);
    }
}

std::uint8_t ValueStreamReader::ReadByte() {
    return Required(cursor_.Byte());
}

std::int16_t ValueStreamReader::ReadInt16() {
    return Required(cursor_.Int16());
}

std::int32_t ValueStreamReader::ReadInt32() {
    return Required(cursor_.Int32());
}

std::string ValueStreamReader::ReadShortString() {
    return ReadChars(ReadByte());
}

std::vector<std::uint8_t> ValueStreamReader::ReadBlock(std::size_t size) {
    auto block = Required(cursor_.Block(size));
    return {block.begin(), block.end()};
}

} // namespace shelfwise::settings
