#include "book/ColorGrid.h"

#include "settings/ElementColors.h"

#include <QMouseEvent>
#include <QPainter>

namespace shelfwise::book {

namespace {

constexpr int Rows = static_cast<int>(settings::PaletteSize);
// Indexes from here on are dark: their outline is yellow.
constexpr int FirstDark = 12;

} // namespace

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ColorGrid1"));
    setMinimumSize(40, Rows * 12);
}

QRect TColorGrid::Cell(int index) const {
    const int top = index * height() / Rows;
    return QRect(0, top, width(), (index + 1) * height() / Rows - top);
}

void TColorGrid::SetSelected(int paletteIndex) {
    selected_ = paletteIndex;
    update();
}

void TColorGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < Rows; ++i) {
        p.fillRect(Cell(i), QColor::fromRgb(settings::Palette16[i]));
    }
    p.setPen(QColor(0, 0, 0, 60));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect cell = Cell(selected_);
    p.setPen(QPen(selected_ < FirstDark ? Qt::black : Qt::yellow, 2));
    p.drawRect(QRectF(cell).adjusted(2, 2, -2, -2));
}

void TColorGrid::mousePressEvent(QMouseEvent* event) {
    const int index = static_cast<int>(event->position().y()) * Rows / std::max(1, height());
    if (index >= 0 && index < Rows) {
        SetSelected(index);
        emit ColorClicked(index);
    }
}

} // namespace shelfwise::book
