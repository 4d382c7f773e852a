#include "media/PictureIo.h"

#include "media/GifWriter.h"
#include "media/PcxCodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <cstdint>

namespace shelfwise::media {
namespace {

// Qt refuses pictures above 128 MB decoded (about 33 megapixels); a scanned or camera picture
// may be larger.
constexpr int AllocationLimitMb = 1024;
constexpr int JpegQuality = 75;

QByteArray Wrap(std::string_view bytes) {
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::uint32_t Le(std::string_view bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// The stored form, an uncompressed 24- or 32-bit bitmap, read straight from its rows: only the
// rows and columns shown are touched, where a full decode of a 12-megapixel picture takes
// most of a second. Null when the bytes are any other kind of bitmap.
QImage DecodePlainBitmap(std::string_view bytes, QSize scaled, QRect clip) {
    constexpr std::size_t FileHeader = 14;
    if (bytes.size() < FileHeader + 40 || bytes.substr(0, 2) != "BM") {
        return {};
    }
    const std::uint32_t offset = Le(bytes, 10, 4);
    const auto width = static_cast<std::int32_t>(Le(bytes, 18, 4));
    const auto rawHeight = static_cast<std::int32_t>(Le(bytes, 22, 4));
    const std::uint32_t bits = Le(bytes, 28, 2);
    const std::uint32_t compression = Le(bytes, 30, 4);
    if (Le(bytes, 14, 4) < 40 || (bits != 24 && bits != 32) || compression != 0 || width <= 0 ||
        rawHeight == 0 || rawHeight == INT32_MIN) {
        return {};
    }
    const bool topDown = rawHeight < 0;
    const std::int32_t height = topDown ? -rawHeight : rawHeight;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits / 8 + 3) & ~3ULL;
    if (offset > bytes.size() ||
        stride * static_cast<std::uint64_t>(height) > bytes.size() - offset) {
        return {};
    }
    const QRect whole(0, 0, width, height);
    const QRect part = clip.isValid() ? clip.intersected(whole) : whole;
    const QSize size = scaled.isValid() ? scaled : part.size();
    if (part.isEmpty() || size.isEmpty()) {
        return {};
    }
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    const std::size_t pixelBytes = bits / 8;
    for (int y = 0; y < size.height(); ++y) {
        const int sourceY = part.y() + static_cast<int>(static_cast<std::int64_t>(y) *
                                                        part.height() / size.height());
        const int row = topDown ? sourceY : height - 1 - sourceY;
        const char* line = bytes.data() + offset + static_cast<std::uint64_t>(row) * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int sourceX = part.x() + static_cast<int>(static_cast<std::int64_t>(x) *
                                                            part.width() / size.width());
            const auto* p = reinterpret_cast<const unsigned char*>(line) +
                            static_cast<std::size_t>(sourceX) * pixelBytes;
            out[x] = qRgb(p[2], p[1], p[0]);
        }
    }
    return image;
}

} // namespace

std::optional<PictureFormat> FormatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toUpper();
    if (suffix == QLatin1String("BMP")) {
        return PictureFormat::Bmp;
    }
    if (suffix == QLatin1String("GIF")) {
        return PictureFormat::Gif;
    }
    if (suffix == QLatin1String("JPG")) {
        return PictureFormat::Jpeg;
    }
    if (suffix == QLatin1String("PNG")) {
        return PictureFormat::Png;
    }
    if (suffix == QLatin1String("PCX")) {
        return PictureFormat::Pcx;
    }
    return std::nullopt;
}

QSize PictureSize(std::string_view bytes) {
    if (LooksLikePcx(bytes)) {
        return DecodePcx(bytes).size();
    }
    QByteArray data = Wrap(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.size();
}

QImage DecodePicture(std::string_view bytes, QSize scaled, QRect clip) {
    if (LooksLikePcx(bytes)) {
        QImage image = DecodePcx(bytes);
        if (clip.isValid()) {
            image = image.copy(clip);
        }
        return scaled.isValid() && !image.isNull()
                   ? image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                   : image;
    }
    if (scaled.isValid()) {
        // Picked at twice the size and smoothed down: close to a full decode's look.
        const QImage picked = DecodePlainBitmap(bytes, scaled * 2, clip);
        if (!picked.isNull()) {
            return picked.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    } else if (QImage plain = DecodePlainBitmap(bytes, {}, clip); !plain.isNull()) {
        return plain;
    }
    QImageReader::setAllocationLimit(AllocationLimitMb);
    QByteArray data = Wrap(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (scaled.isValid()) {
        reader.setScaledSize(scaled);
    }
    if (clip.isValid()) {
        reader.setClipRect(clip);
    }
    return reader.read();
}

QImage OnWhite(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return image;
    }
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

std::string EncodePicture(const QImage& image, PictureFormat format) {
    switch (format) {
    case PictureFormat::Gif:
        return EncodeGif(image);
    case PictureFormat::Pcx:
        return EncodePcx(OnWhite(image));
    case PictureFormat::Bmp:
    case PictureFormat::Jpeg:
    case PictureFormat::Png:
        break;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const char* name = format == PictureFormat::Bmp   ? "BMP"
                       : format == PictureFormat::Png ? "PNG"
                                                      : "JPEG";
    QImageWriter writer(&buffer, name);
    if (format == PictureFormat::Jpeg) {
        writer.setQuality(JpegQuality);
    }
    const QImage source = format == PictureFormat::Png ? image : OnWhite(image);
    if (!writer.write(format == PictureFormat::Jpeg ? source.convertToFormat(QImage::Format_RGB32)
                                                    : source)) {
        return {};
    }
    return bytes.toStdString();
}

std::string BitmapBytes(const QImage& image) {
    return EncodePicture(image, PictureFormat::Bmp);
}

bool SavePictureFile(const QImage& image, const QString& path) {
    const std::optional<PictureFormat> format = FormatOfPath(path);
    if (!format || image.isNull()) {
        return false;
    }
    const std::string bytes = EncodePicture(image, *format);
    if (bytes.empty()) {
        return false;
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()) &&
           file.commit();
}

QImage LoadPictureFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    const QByteArray bytes = file.readAll();
    QImage image =
        DecodePicture(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (image.isNull()) {
        *error = QStringLiteral("not a picture this program can read");
        return {};
    }
    return OnWhite(image);
}

} // namespace shelfwise::media
