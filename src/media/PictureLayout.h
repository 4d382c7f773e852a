#pragma once

#include <QSize>

namespace shelfwise::media {

// A picture fitted into a box with its proportions kept, enlarged as well as reduced.
QSize StretchedSize(QSize picture, QSize box);

// The size a picture is printed at on a page of that printable size: at least a quarter of the
// width and a fifth of the height, at most the page.
QSize PrintSize(QSize picture, QSize page);

} // namespace shelfwise::media
