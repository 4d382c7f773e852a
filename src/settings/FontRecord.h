#pragma once

#include <cstdint>
#include <string>

namespace shelfwise::settings {

class ByteCursor;
class ValueStreamWriter;

// A font as the user-interface options file stores it, in a record of FontRecordSize bytes.
struct FontRecord {
    std::string Name = "Arial";
    bool Bold = true;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::int32_t Size = 10; // points

    bool operator==(const FontRecord&) const = default;
};

inline constexpr std::size_t FontRecordSize = 264;

void WriteFontRecord(ValueStreamWriter& out, const FontRecord& font);
// Leaves `font` unchanged and returns false when fewer than FontRecordSize bytes remain.
bool ReadFontRecord(ByteCursor& in, FontRecord& font);

} // namespace shelfwise::settings
