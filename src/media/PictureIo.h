#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace shelfwise::media {

enum class PictureFormat { Bmp, Gif, Jpeg, Png, Pcx };

// The format a file name asks for by its extension (".bmp", ".gif", ".jpg", ".png", ".pcx", in
// any case); none for every other name.
std::optional<PictureFormat> FormatOfPath(const QString& path);

// The picture's size from its header alone; invalid when the bytes are no picture we read.
QSize PictureSize(std::string_view bytes);

// Decodes stored or file bytes of any format we read. A valid `scaled` decodes straight to that
// size (a JPEG is then decoded at a fraction of its size); a valid `clip` decodes that part
// only. Null when the bytes do not decode.
QImage DecodePicture(std::string_view bytes, QSize scaled = {}, QRect clip = {});

// Transparent parts painted white: the stored bitmap and the formats without transparency would
// turn them black.
QImage OnWhite(const QImage& image);

// The picture in a file's format; empty when it cannot be encoded.
std::string EncodePicture(const QImage& image, PictureFormat format);

// The bytes a picture field stores: a bitmap.
std::string BitmapBytes(const QImage& image);

// Writes the picture in the format its name asks for, through a temporary file so that a failed
// write leaves an older file of that name as it was. False when nothing was written.
bool SavePictureFile(const QImage& image, const QString& path);

// Reads a picture file of any format we read; null (with the reason in `error`) when it cannot.
QImage LoadPictureFile(const QString& path, QString* error);

} // namespace shelfwise::media
