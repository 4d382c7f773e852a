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
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

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

// Stored rows read at a time: a whole decode holds this much of them, not the whole value.
constexpr std::uint64_t RowBandBytes = 4u << 20;

ReadParts FromMemory(std::string_view bytes) {
    return [bytes](std::span<const BytePart> parts, std::span<char> into) {
        for (const BytePart& part : parts) {
            if (part.Offset > bytes.size() || part.Size > bytes.size() - part.Offset ||
                part.Size > into.size()) {
                throw std::out_of_range("a part past the end of a picture");
            }
            std::copy_n(bytes.data() + part.Offset, part.Size, into.data());
            into = into.subspan(part.Size);
        }
    };
}

// An uncompressed 24- or 32-bit bitmap's layout, from its headers.
struct PlainBitmap {
    std::uint64_t Offset = 0; // of the pixel rows
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool TopDown = false;
    std::uint64_t PixelBytes = 0;
    std::uint64_t Stride = 0;
};

// None when the bytes are any other kind of picture or their `size` cannot hold the rows.
std::optional<PlainBitmap> ParsePlainBitmap(std::string_view head, std::uint64_t size) {
    constexpr std::size_t FileHeader = 14;
    if (head.size() < FileHeader + 40 || head.substr(0, 2) != "BM") {
        return std::nullopt;
    }
    const auto width = static_cast<std::int32_t>(Le(head, 18, 4));
    const auto rawHeight = static_cast<std::int32_t>(Le(head, 22, 4));
    const std::uint32_t bits = Le(head, 28, 2);
    if (Le(head, 14, 4) < 40 || (bits != 24 && bits != 32) || Le(head, 30, 4) != 0 || width <= 0 ||
        rawHeight == 0 || rawHeight == INT32_MIN) {
        return std::nullopt;
    }
    PlainBitmap bitmap;
    bitmap.Offset = Le(head, 10, 4);
    bitmap.Width = width;
    bitmap.TopDown = rawHeight < 0;
    bitmap.Height = bitmap.TopDown ? -rawHeight : rawHeight;
    bitmap.PixelBytes = bits / 8;
    bitmap.Stride = (static_cast<std::uint64_t>(width) * bitmap.PixelBytes + 3) & ~3ULL;
    if (bitmap.Offset > size ||
        bitmap.Stride > (size - bitmap.Offset) / static_cast<std::uint64_t>(bitmap.Height)) {
        return std::nullopt;
    }
    return bitmap;
}

// Only the rows and columns shown are read and touched, where a full decode of a
// 12-megapixel picture takes most of a second: each pixel shown is picked from one stored.
QImage PickBitmap(std::string_view head, std::uint64_t size, const ReadParts& read, QSize scaled,
                  QRect clip) {
    const std::optional<PlainBitmap> bitmap = ParsePlainBitmap(head, size);
    if (!bitmap) {
        return {};
    }
    const auto [offset, width, height, topDown, pixelBytes, stride] = *bitmap;
    const QRect whole(0, 0, width, height);
    const QRect part = clip.isValid() ? clip.intersected(whole) : whole;
    const QSize shown = scaled.isValid() ? scaled : part.size();
    if (part.isEmpty() || shown.isEmpty()) {
        return {};
    }
    QImage image(shown, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    std::vector<std::uint64_t> columns(static_cast<std::size_t>(shown.width()));
    for (int x = 0; x < shown.width(); ++x) {
        columns[static_cast<std::size_t>(x)] =
            static_cast<std::uint64_t>(static_cast<std::int64_t>(x) * part.width() /
                                       shown.width()) *
            pixelBytes;
    }
    const std::uint64_t spanBytes = static_cast<std::uint64_t>(part.width()) * pixelBytes;
    const std::size_t bandRows = std::max<std::uint64_t>(1, RowBandBytes / spanBytes);
    std::vector<BytePart> band;
    std::vector<std::size_t> rowOf(static_cast<std::size_t>(shown.height()));
    std::string rows;
    for (int y = 0; y < shown.height();) {
        band.clear();
        int next = y;
        int lastSource = -1;
        for (; next < shown.height(); ++next) {
            const int sourceY = part.y() + static_cast<int>(static_cast<std::int64_t>(next) *
                                                            part.height() / shown.height());
            if (sourceY != lastSource) {
                if (band.size() == bandRows) {
                    break;
                }
                const auto row =
                    static_cast<std::uint64_t>(topDown ? sourceY : height - 1 - sourceY);
                band.push_back(
                    {offset + row * stride + static_cast<std::uint64_t>(part.x()) * pixelBytes,
                     spanBytes});
                lastSource = sourceY;
            }
            rowOf[static_cast<std::size_t>(next)] = band.size() - 1;
        }
        rows.resize(band.size() * spanBytes);
        read(band, rows);
        for (; y < next; ++y) {
            const auto* line = reinterpret_cast<const unsigned char*>(rows.data()) +
                               rowOf[static_cast<std::size_t>(y)] * spanBytes;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < shown.width(); ++x) {
                const unsigned char* p = line + columns[static_cast<std::size_t>(x)];
                out[x] = qRgb(p[2], p[1], p[0]);
            }
        }
    }
    return image;
}

} // namespace

QImage DecodeBitmapParts(std::string_view head, std::uint64_t size, const ReadParts& read,
                         QSize scaled, QRect clip) {
    if (!scaled.isValid()) {
        return PickBitmap(head, size, read, {}, clip);
    }
    // Picked at twice the size and smoothed down: close to a full decode's look.
    const QImage picked = PickBitmap(head, size, read, scaled * 2, clip);
    return picked.isNull() ? picked
                           : picked.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QSize PlainBitmapSize(std::string_view head, std::uint64_t size) {
    const std::optional<PlainBitmap> bitmap = ParsePlainBitmap(head, size);
    return bitmap ? QSize(bitmap->Width, bitmap->Height) : QSize();
}

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
    if (QImage plain = DecodeBitmapParts(bytes, bytes.size(), FromMemory(bytes), scaled, clip);
        !plain.isNull()) {
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
