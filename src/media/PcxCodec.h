#pragma once

#include <QImage>
#include <string>
#include <string_view>

namespace shelfwise::media {

// True when the bytes start like a run-length encoded PCX file.
bool LooksLikePcx(std::string_view bytes);

// Decodes a PCX file: 1, 2, 4 or 8 bits in one plane, 1 bit in up to four planes, or 8 bits in
// three or four planes (RGB). Files come from anywhere: every size and offset is checked, and a
// file that breaks any rule gives a null image.
QImage DecodePcx(std::string_view bytes);

// Encodes an 8-bit palette file for a picture of at most 256 colours that comes indexed or grey,
// a 24-bit three-plane file otherwise.
std::string EncodePcx(const QImage& image);

} // namespace shelfwise::media
