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

namespace shelfwise::media {
namespace {

// Qt refuses pictures above 128 MB decoded (about 33 megapixels); a scanned or camera picture
// may be larger.
constexpr int AllocationLimitMb = 1024;
constexpr int JpegQuality = 75;

QByteArray Wrap(std::string_view bytes) {
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
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
