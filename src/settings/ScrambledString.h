#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace shelfwise::settings {

class ByteCursor;
class ValueStreamWriter;

// Texts of the options and account files are stored as a length byte followed by the
// characters, each combined by exclusive-or with this key, used cyclically from its start.
using ScrambleKey = std::array<std::uint8_t, 10>;
inline constexpr ScrambleKey OptionsKey{0x03, 0x09, 0x11, 0x04, 0x0C, 0x07, 0x02, 0x0D, 0x08, 0x05};
// The account file's own key.
inline constexpr ScrambleKey UsersKey{0x02, 0x0B, 0x06, 0x13, 0x09, 0x01, 0x0E, 0x03, 0x07, 0x0A};

// Texts longer than 255 characters are cut.
void WriteScrambled(ValueStreamWriter& out, std::string_view text,
                    const ScrambleKey& key = OptionsKey);
// The text ends at the first stored byte 0, so a character equal to its key byte cuts the
// text there. A string cut off by the end of the data reads as empty.
std::string ReadScrambled(ByteCursor& in, const ScrambleKey& key = OptionsKey);

} // namespace shelfwise::settings
