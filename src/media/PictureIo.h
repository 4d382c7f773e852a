#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace shelfwise::media {

enum class PictureFormat { Bmp, Gif, Jpeg, Png, Pcx };

// The format a file name asks for by its extension (".bmp", ".gif", ".jpg", ".png", ".pcx", in
// any case); none for every other name.
std::optional<PictureFormat> FormatOfPath(const QString& path);

// The picture's size from its header alone; invalid when the bytes are no picture we read.
QSize PictureSize(std::string_view bytes);

// A part of a stored picture: `Size` bytes from `Offset` on.
struct BytePart {
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};
// Fills `into` with the bytes of the parts, one after the other, or throws.
using ReadParts = std::function<void(std::span<const BytePart> parts, std::span<char> into)>;

// The size of an uncompressed 24- or 32-bit bitmap of `size` bytes beginning with `head`;
// invalid for any other picture or when its rows do not fit that size.
QSize PlainBitmapSize(std::string_view head, std::uint64_t size);

// The stored form, an uncompressed 24- or 32-bit bitmap of `size` bytes beginning with `head`
// (at least its headers), decoded from the rows shown only: `scaled` and `clip` as for
// DecodePicture. Null when the bytes are any other kind of picture or do not hold its rows.
QImage DecodeBitmapParts(std::string_view head, std::uint64_t size, const ReadParts& read,
                         QSize scaled = {}, QRect clip = {});

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
