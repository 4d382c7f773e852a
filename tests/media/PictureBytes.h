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

// A picture whose every pixel differs from its neighbours.
inline QImage Pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x + y) % 256));
        }
    }
    return image;
}

} // namespace shelfwise::media::test
