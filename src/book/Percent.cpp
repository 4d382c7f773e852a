#include "book/Percent.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace shelfwise::book {

namespace {

// The rectangle a one-pixel pen outlines from (left, top) up to, but not including,
// (right, bottom).
QRect Outline(int left, int top, int right, int bottom) {
    return {left, top, right - left - 1, bottom - top - 1};
}

// The edge between the filled and the unfilled part: a column of a horizontal bar, a row of a
// vertical one. Halves go to the even neighbour.
int FillEdge(int length, int percent) {
    return static_cast<int>(std::nearbyint((length - 4) * percent * 0.01)) + 2;
}

} // namespace

TPercent::TPercent(QWidget* parent) : QWidget(parent) {
    resize(DesignedWidth, DesignedHeight);
}

void TPercent::SetPercentShaded(int percent) {
    shaded_ = std::clamp(percent, 0, 100);
    update();
}

void TPercent::SetPercentColor(const QColor& color) {
    color_ = color;
    update();
}

void TPercent::SetShowPercent(bool show) {
    showPercent_ = show;
    update();
}

void TPercent::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

QString TPercent::Text() const {
    return showPercent_ ? QString::number(shaded_) + QLatin1Char('%') : caption_;
}

void TPercent::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        update();
    }
    QWidget::changeEvent(event);
}

void TPercent::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    // The sunken frame.
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawLine(0, h - 1, 0, 0);
    painter.drawLine(0, 0, w - 1, 0);
    painter.setPen(Qt::white);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.drawLine(w - 1, h - 1, 0, h - 1);
    // The bar.
    QRect unfilled;
    QRect filled;
    if (w >= h) {
        const int e = FillEdge(w, shaded_);
        unfilled = Outline(e, 1, w - 2, h - 2);
        filled = Outline(1, 1, e, h - 2);
    } else {
        const int e = FillEdge(h, shaded_);
        unfilled = Outline(1, e, w - 2, h - 2);
        filled = Outline(1, 1, w - 2, e);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(unfilled);
    painter.setPen(color_);
    painter.setBrush(color_);
    painter.drawRect(filled);
    // The text, centred on a transparent background.
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const QString text = Text();
    const QFontMetrics metrics(font());
    const int x = (w - metrics.horizontalAdvance(text)) / 2;
    const int y = (h - metrics.height()) / 2;
    painter.drawText(x, y + metrics.ascent(), text);
}

} // namespace shelfwise::book
