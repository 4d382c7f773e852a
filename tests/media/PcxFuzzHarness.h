#pragma once

// The PCX reader over arbitrary bytes, shared by the libFuzzer target in fuzz/ and the test
// that replays its seed corpus. Refusing a file (a null picture) is fine; a crash, a read out
// of bounds (the sanitizers) or a broken invariant (a false result) is a fault.

#include "media/PcxCodec.h"

#include <span>
#include <string_view>

namespace shelfwise::media::fuzz {

// Whatever decodes also sniffs as PCX, and writing the picture out again and reading that back
// gives the same pixels.
inline bool RunPcxReader(std::span<const std::uint8_t> input) {
    const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());
    const QImage image = DecodePcx(bytes);
    if (image.isNull()) {
        return true;
    }
    if (!LooksLikePcx(bytes) || image.width() <= 0 || image.height() <= 0) {
        return false;
    }
    const QImage again = DecodePcx(EncodePcx(image));
    return again.convertToFormat(QImage::Format_RGB32) ==
           image.convertToFormat(QImage::Format_RGB32);
}

} // namespace shelfwise::media::fuzz
