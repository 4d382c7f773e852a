#include "settings/ScrambledString.h"

#include "settings/ByteCursor.h"
#include "settings/ValueStreamWriter.h"

#include <algorithm>

namespace shelfwise::settings {

namespace {

std::string Combine(std::string text, const ScrambleKey& key) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>(static_cast<std::uint8_t>(text[i]) ^ key[i % key.size()]);
    }
    return text;
}

} // namespace

void WriteScrambled(ValueStreamWriter& out, std::string_view text, const ScrambleKey& key) {
    out.WriteShortString(Combine(std::string(text.substr(0, 255)), key));
}

std::string ReadScrambled(ByteCursor& in, const ScrambleKey& key) {
    const auto size = in.Byte();
    if (!size) {
        return {};
    }
    const auto stored = in.Block(*size);
    if (!stored) {
        return {};
    }
    const auto end = std::find(stored->begin(), stored->end(), std::uint8_t{0});
    return Combine(std::string(stored->begin(), end), key);
}

} // namespace shelfwise::settings
