#include "media/GifWriter.h"

#include <gif_lib.h>
#include <memory>

namespace shelfwise::media {
namespace {

int Append(GifFileType* gif, const GifByteType* bytes, int length) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
    return length;
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

} // namespace

std::string EncodeGif(const QImage& image) {
    if (image.isNull()) {
        return {};
    }
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8);
    const QList<QRgb> colors = indexed.colorTable();
    // The colour map's size is a power of two, at least 2.
    int bits = 1;
    while ((1 << bits) < colors.size()) {
        ++bits;
    }
    const std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(1 << bits, nullptr));
    if (!map) {
        return {};
    }
    for (int i = 0; i < map->ColorCount; ++i) {
        const QRgb c = i < colors.size() ? colors[i] : qRgb(0, 0, 0);
        map->Colors[i] =
            GifColorType{static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                         static_cast<GifByteType>(qBlue(c))};
    }

    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, Append, &error);
    if (gif == nullptr) {
        return {};
    }
    bool written =
        EGifPutScreenDesc(gif, indexed.width(), indexed.height(), bits, 0, map.get()) == GIF_OK &&
        EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr) == GIF_OK;
    for (int y = 0; written && y < indexed.height(); ++y) {
        written = EGifPutLine(gif, const_cast<GifByteType*>(indexed.constScanLine(y)),
                              indexed.width()) == GIF_OK;
    }
    if (EGifCloseFile(gif, &error) != GIF_OK || !written) {
        return {};
    }
    return out;
}

} // namespace shelfwise::media
