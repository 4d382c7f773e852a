#include "media/PcxCodec.h"

#include <array>
#include <cstdint>

namespace shelfwise::media {
namespace {

constexpr std::size_t HeaderSize = 128;
constexpr unsigned char Maker = 0x0A;
constexpr unsigned char PaletteMark = 0x0C;
constexpr std::size_t TailPaletteSize = 768;
// Far above any real picture, low enough that a forged header cannot ask for gigabytes.
constexpr int MaxSide = 32768;
constexpr std::int64_t MaxPixels = std::int64_t{1} << 28;
constexpr int MaxRun = 63;

int Word(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

QRgb HeaderColor(std::string_view bytes, int index) {
    const std::size_t at = 16 + 3 * static_cast<std::size_t>(index);
    return qRgb(static_cast<unsigned char>(bytes[at]), static_cast<unsigned char>(bytes[at + 1]),
                static_cast<unsigned char>(bytes[at + 2]));
}

// Expands the run-length stream into exactly `size` bytes; false when the data ends early.
bool Unpack(std::string_view data, std::size_t size, std::string& out) {
    out.assign(size, '\0');
    std::size_t in = 0;
    std::size_t filled = 0;
    while (filled < size) {
        if (in >= data.size()) {
            return false;
        }
        const auto code = static_cast<unsigned char>(data[in++]);
        std::size_t count = 1;
        unsigned char value = code;
        if ((code & 0xC0) == 0xC0) {
            if (in >= data.size()) {
                return false;
            }
            count = code & 0x3F;
            value = static_cast<unsigned char>(data[in++]);
        }
        // A run may not reach past the picture.
        const std::size_t take = std::min(count, size - filled);
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(filled), take,
                    static_cast<char>(value));
        filled += take;
    }
    return true;
}

void PackRow(const unsigned char* row, int length, std::string& out) {
    int i = 0;
    while (i < length) {
        const unsigned char value = row[i];
        int run = 1;
        while (i + run < length && run < MaxRun && row[i + run] == value) {
            ++run;
        }
        if (run > 1 || (value & 0xC0) == 0xC0) {
            out.push_back(static_cast<char>(0xC0 | run));
        }
        out.push_back(static_cast<char>(value));
        i += run;
    }
}

void PutWord(std::string& out, std::size_t at, int value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

} // namespace

bool LooksLikePcx(std::string_view bytes) {
    return bytes.size() > HeaderSize && static_cast<unsigned char>(bytes[0]) == Maker &&
           static_cast<unsigned char>(bytes[1]) <= 5 && bytes[2] == 1;
}

QImage DecodePcx(std::string_view bytes) {
    if (!LooksLikePcx(bytes)) {
        return {};
    }
    const int bits = static_cast<unsigned char>(bytes[3]);
    const int xmin = Word(bytes, 4);
    const int ymin = Word(bytes, 6);
    const int xmax = Word(bytes, 8);
    const int ymax = Word(bytes, 10);
    const int planes = static_cast<unsigned char>(bytes[65]);
    const int lineBytes = Word(bytes, 66);
    const int width = xmax - xmin + 1;
    const int height = ymax - ymin + 1;
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide ||
        std::int64_t{width} * height > MaxPixels) {
        return {};
    }
    const bool packed = planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
    const bool planar = bits == 1 && planes >= 2 && planes <= 4;
    const bool rgb = bits == 8 && (planes == 3 || planes == 4);
    if (!packed && !planar && !rgb) {
        return {};
    }
    if (std::int64_t{lineBytes} * 8 < std::int64_t{width} * bits) {
        return {};
    }
    const std::size_t stride = static_cast<std::size_t>(lineBytes) * planes;
    std::string pixels;
    if (!Unpack(bytes.substr(HeaderSize), stride * static_cast<std::size_t>(height), pixels)) {
        return {};
    }
    const auto at = [&](int y, int plane, int byte) {
        return static_cast<unsigned char>(
            pixels[static_cast<std::size_t>(y) * stride +
                   static_cast<std::size_t>(plane) * static_cast<std::size_t>(lineBytes) +
                   static_cast<std::size_t>(byte)]);
    };

    if (rgb) {
        QImage image(width, height, QImage::Format_RGB32);
        if (image.isNull()) {
            return {};
        }
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                line[x] = qRgb(at(y, 0, x), at(y, 1, x), at(y, 2, x));
            }
        }
        return image;
    }

    QList<QRgb> colors;
    if (bits == 8) {
        // The palette follows the picture data: the mark byte, then 256 RGB triples.
        const std::size_t tail = bytes.size() - TailPaletteSize - 1;
        if (bytes.size() >= HeaderSize + TailPaletteSize + 1 &&
            static_cast<unsigned char>(bytes[tail]) == PaletteMark) {
            for (int i = 0; i < 256; ++i) {
                const std::size_t c = tail + 1 + 3 * static_cast<std::size_t>(i);
                colors.append(qRgb(static_cast<unsigned char>(bytes[c]),
                                   static_cast<unsigned char>(bytes[c + 1]),
                                   static_cast<unsigned char>(bytes[c + 2])));
            }
        } else {
            for (int i = 0; i < 256; ++i) {
                colors.append(qRgb(i, i, i));
            }
        }
    } else {
        const int count = 1 << (bits * planes);
        for (int i = 0; i < count; ++i) {
            colors.append(HeaderColor(bytes, i));
        }
        // A two-colour file without a palette is black on white.
        if (count == 2 && colors[0] == colors[1]) {
            colors = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
        }
    }
    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull()) {
        return {};
    }
    image.setColorTable(colors);
    for (int y = 0; y < height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            int index = 0;
            if (packed) {
                const int bit = x * bits;
                const int shift = 8 - bits - bit % 8;
                index = (at(y, 0, bit / 8) >> shift) & ((1 << bits) - 1);
            } else {
                for (int p = 0; p < planes; ++p) {
                    index |= ((at(y, p, x / 8) >> (7 - x % 8)) & 1) << p;
                }
            }
            line[x] = static_cast<uchar>(index);
        }
    }
    return image;
}

std::string EncodePcx(const QImage& image) {
    if (image.isNull()) {
        return {};
    }
    const bool indexed =
        image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono ||
        image.format() == QImage::Format_MonoLSB || image.format() == QImage::Format_Grayscale8;
    const QImage source = indexed ? image.convertToFormat(QImage::Format_Indexed8)
                                  : image.convertToFormat(QImage::Format_RGB32);
    const int width = source.width();
    const int height = source.height();
    // Each plane's line holds an even number of bytes.
    const int lineBytes = (width + 1) & ~1;
    const int planes = indexed ? 1 : 3;

    std::string out(HeaderSize, '\0');
    out[0] = static_cast<char>(Maker);
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    PutWord(out, 8, width - 1);
    PutWord(out, 10, height - 1);
    PutWord(out, 12, 72);
    PutWord(out, 14, 72);
    out[65] = static_cast<char>(planes);
    PutWord(out, 66, lineBytes);
    PutWord(out, 68, 1);

    std::string row(static_cast<std::size_t>(lineBytes), '\0');
    auto* rowBytes = reinterpret_cast<unsigned char*>(row.data());
    for (int y = 0; y < height; ++y) {
        if (indexed) {
            std::copy_n(source.constScanLine(y), width, rowBytes);
            PackRow(rowBytes, lineBytes, out);
            continue;
        }
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int p = 0; p < planes; ++p) {
            for (int x = 0; x < width; ++x) {
                rowBytes[x] = static_cast<unsigned char>(p == 0   ? qRed(line[x])
                                                         : p == 1 ? qGreen(line[x])
                                                                  : qBlue(line[x]));
            }
            PackRow(rowBytes, lineBytes, out);
        }
    }
    if (indexed) {
        out.push_back(static_cast<char>(PaletteMark));
        const QList<QRgb> colors = source.colorTable();
        for (int i = 0; i < 256; ++i) {
            const QRgb c = i < colors.size() ? colors[i] : qRgb(0, 0, 0);
            out.push_back(static_cast<char>(qRed(c)));
            out.push_back(static_cast<char>(qGreen(c)));
            out.push_back(static_cast<char>(qBlue(c)));
        }
    }
    return out;
}

} // namespace shelfwise::media
