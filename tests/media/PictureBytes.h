#pragma once

#include <QBuffer>
#include <QImage>
#include <string>

namespace shelfwise::media::test {

// A small picture as a file holds it.
inline std::string PngBytes() {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

} // namespace shelfwise::media::test
