#include "settings/FontRecord.h"

#include "settings/ByteCursor.h"
#include "settings/ValueStreamWriter.h"

#include <array>

namespace shelfwise::settings {

namespace {

// Layout of the record: a 256-byte length-prefixed name, the style bits, padding, the size.
constexpr std::size_t NameField = 256;
constexpr std::size_t StyleOffset = 256;
constexpr std::size_t SizeOffset = 260;

enum StyleBit : std::uint8_t { BoldBit = 1, ItalicBit = 2, UnderlineBit = 4, StrikeOutBit = 8 };

} // namespace

void WriteFontRecord(ValueStreamWriter& out, const FontRecord& font) {
    ValueStreamWriter name;
    name.WriteShortString(font.Name);
    std::array<std::uint8_t, NameField> nameField{};
    std::copy(name.Bytes().begin(), name.Bytes().end(), nameField.begin());
    out.WriteBlock(nameField);

    const std::uint8_t style = (font.Bold ? BoldBit : 0) | (font.Italic ? ItalicBit : 0) |
                               (font.Underline ? UnderlineBit : 0) |
                               (font.StrikeOut ? StrikeOutBit : 0);
    const std::array<std::uint8_t, SizeOffset - StyleOffset> styleField{style, 0, 0, 0};
    out.WriteBlock(styleField);
    out.WriteInt32(font.Size);
}

bool ReadFontRecord(ByteCursor& in, FontRecord& font) {
    const auto record = in.Block(FontRecordSize);
    if (!record) {
        return false;
    }
    const auto name = record->subspan(1, (*record)[0]);
    font.Name.assign(name.begin(), name.end());
    const auto style = (*record)[StyleOffset];
    font.Bold = (style & BoldBit) != 0;
    font.Italic = (style & ItalicBit) != 0;
    font.Underline = (style & UnderlineBit) != 0;
    font.StrikeOut = (style & StrikeOutBit) != 0;
    font.Size = *ByteCursor(record->subspan(SizeOffset)).Int32();
    return true;
}

} // namespace shelfwise::settings
