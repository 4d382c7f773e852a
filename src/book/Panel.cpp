#include "book/Panel.h"

#include <QLinearGradient>
#include <QPainter>

namespace shelfwise::book {

TPanel::TPanel(const QString& name, QWidget* parent, Bevel bevel) : QWidget(parent), bevel_(bevel) {
    setObjectName(name);
}

void TPanel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TPanel::SetSpine(Spine spine) {
    spine_ = spine;
    update();
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor colour = palette().color(QPalette::Window);
    const QRect r = rect();
    p.fillRect(r, colour);
    if (spine_ == Spine::Binding) {
        QLinearGradient spine(r.topLeft(), r.topRight());
        spine.setColorAt(0, QColor(0, 0, 0, 80));
        spine.setColorAt(0.25, QColor(0, 0, 0, 15));
        spine.setColorAt(0.5, QColor(255, 255, 255, 40));
        spine.setColorAt(0.75, QColor(0, 0, 0, 15));
        spine.setColorAt(1, QColor(0, 0, 0, 80));
        p.fillRect(r, spine);
    } else if (spine_ != Spine::None) {
        // The page curves into the spine: a soft shadow over the last 28 pixels.
        const int depth = std::min(28, r.width() / 3);
        const bool left = spine_ == Spine::Left;
        const QRect band =
            left ? QRect(0, 0, depth, r.height()) : QRect(r.width() - depth, 0, depth, r.height());
        QLinearGradient shade(left ? band.topLeft() : band.topRight(),
                              left ? band.topRight() : band.topLeft());
        shade.setColorAt(0, QColor(0, 0, 0, 95));
        shade.setColorAt(0.35, QColor(0, 0, 0, 35));
        shade.setColorAt(1, QColor(0, 0, 0, 0));
        p.fillRect(band, shade);
        QLinearGradient light(left ? r.topRight() : r.topLeft(),
                              left ? QPointF(r.width() - 40, 0) : QPointF(40, 0));
        light.setColorAt(0, QColor(255, 255, 255, 60));
        light.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(left ? QRect(r.width() - 40, 0, 40, r.height()) : QRect(0, 0, 40, r.height()),
                   light);
    }
    if (bevel_ != Bevel::None) {
        const QColor dark = colour.darker(150);
        const QColor light = colour.lighter(135);
        const QColor topLeft = bevel_ == Bevel::Lowered ? dark : light;
        const QColor bottomRight = bevel_ == Bevel::Lowered ? light : dark;
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    if (!caption_.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r.adjusted(6, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, caption_);
    }
}

} // namespace shelfwise::book
