#pragma once

#include <QImage>
#include <string>

namespace shelfwise::media {

// Encodes the picture as a GIF file. A picture of at most 256 colours keeps them exactly; a
// richer one is reduced to 256. Empty when the encoder fails.
std::string EncodeGif(const QImage& image);

} // namespace shelfwise::media
