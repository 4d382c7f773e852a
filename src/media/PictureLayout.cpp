#include "media/PictureLayout.h"

#include <cmath>

namespace shelfwise::media {
namespace {

// Nearest integer, a half to the even neighbour.
int Round(double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

QSize StretchedSize(QSize picture, QSize box) {
    if (picture.isEmpty()) {
        return picture;
    }
    const double ratio = static_cast<double>(picture.width()) / picture.height();
    int width = box.width();
    int height = static_cast<int>(width / ratio);
    if (box.height() < height) {
        width = static_cast<int>(ratio * box.height());
        height = box.height();
    }
    return {width, height};
}

QSize PrintSize(QSize picture, QSize page) {
    if (picture.isEmpty()) {
        return {};
    }
    const double ratio = static_cast<double>(picture.height()) / picture.width();
    int w = picture.width();
    int h = picture.height();
    if (w < 0.25 * page.width()) {
        w = Round(0.25 * page.width());
        h = Round(w * ratio);
    }
    if (h < 0.2 * page.height()) {
        h = Round(0.2 * page.height());
        w = Round(h / ratio);
    }
    if (h > page.height()) {
        h = page.height();
        w = Round(h / ratio);
    } else if (w > page.width()) {
        w = page.width();
        h = Round(w * ratio);
    }
    return {w, h};
}

} // namespace shelfwise::media
