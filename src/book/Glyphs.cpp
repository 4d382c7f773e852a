#include "book/Glyphs.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace shelfwise::book {

namespace {

// Shapes are drawn on a 24 x 24 grid: an outline colour, a fill and one accent colour.
struct Ink {
    QColor Line;
    QColor Fill;
    QColor Accent;
    QColor Danger;
};

Ink InkFor(QIcon::Mode mode) {
    if (mode == QIcon::Disabled) {
        return {QColor(0x8a, 0x8a, 0x8a), QColor(0xe4, 0xe4, 0xe4), QColor(0xa8, 0xa8, 0xa8),
                QColor(0xa8, 0xa8, 0xa8)};
    }
    return {QColor(0x1f, 0x2d, 0x4d), QColor(0xfb, 0xf8, 0xef), QColor(0x2a, 0x6f, 0xd0),
            QColor(0xc0, 0x2a, 0x2a)};
}

QPainterPath Polyline(std::initializer_list<QPointF> points, bool closed = false) {
    QPainterPath path;
    auto it = points.begin();
    path.moveTo(*it);
    for (++it; it != points.end(); ++it) {
        path.lineTo(*it);
    }
    if (closed) {
        path.closeSubpath();
    }
    return path;
}

void Page(QPainter& p, const Ink& ink, QRectF r) {
    p.setBrush(ink.Fill);
    const qreal fold = 5;
    p.drawPath(Polyline({r.topLeft(),
                         {r.right() - fold, r.top()},
                         {r.right(), r.top() + fold},
                         r.bottomRight(),
                         r.bottomLeft()},
                        true));
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void Arrow(QPainter& p, QPointF from, QPointF to, qreal head = 4) {
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF left = line;
    left.setLength(head);
    left.setAngle(line.angle() + 40);
    QLineF right = line;
    right.setLength(head);
    right.setAngle(line.angle() - 40);
    p.drawLine(left);
    p.drawLine(right);
}

void Triangle(QPainter& p, const Ink& ink, QPointF tip, bool pointsRight, qreal size) {
    const qreal dx = pointsRight ? -size : size;
    p.setBrush(ink.Accent);
    p.drawPath(
        Polyline({tip, {tip.x() + dx, tip.y() - size}, {tip.x() + dx, tip.y() + size}}, true));
}

void VerticalTriangle(QPainter& p, const Ink& ink, QPointF tip, bool pointsUp, qreal size) {
    const qreal dy = pointsUp ? size : -size;
    p.setBrush(ink.Accent);
    p.drawPath(
        Polyline({tip, {tip.x() - size, tip.y() + dy}, {tip.x() + size, tip.y() + dy}}, true));
}

void Printer(QPainter& p, const Ink& ink) {
    p.setBrush(ink.Fill);
    p.drawRect(QRectF(7, 3, 10, 6));
    p.setBrush(ink.Accent);
    p.drawRoundedRect(QRectF(3, 9, 18, 8), 2, 2);
    p.setBrush(ink.Fill);
    p.drawRect(QRectF(7, 14, 10, 7));
    p.drawLine(QPointF(9, 17), QPointF(15, 17));
}

void Draw(QPainter& p, Glyph glyph, const Ink& ink) {
    switch (glyph) {
    case Glyph::Find:
        p.setBrush(ink.Fill);
        p.drawEllipse(QPointF(10, 10), 6, 6);
        p.setPen(QPen(ink.Accent, 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14.5, 14.5), QPointF(20.5, 20.5));
        break;
    case Glyph::Replace:
        Page(p, ink, QRectF(3, 3, 10, 13));
        p.setPen(QPen(ink.Accent, 2, Qt::SolidLine, Qt::RoundCap));
        Arrow(p, QPointF(11, 20), QPointF(20, 20));
        Arrow(p, QPointF(20, 20), QPointF(20, 9), 0);
        Arrow(p, QPointF(20, 9), QPointF(16, 9));
        break;
    case Glyph::Options: {
        p.setBrush(ink.Accent);
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            QTransform t;
            t.translate(12, 12);
            t.rotate(i * 45);
            gear.addPolygon(t.map(QPolygonF(QRectF(-2, -10, 4, 5))));
        }
        gear.addEllipse(QPointF(12, 12), 7, 7);
        p.drawPath(gear.simplified());
        p.setBrush(ink.Fill);
        p.drawEllipse(QPointF(12, 12), 3, 3);
        break;
    }
    case Glyph::Print:
        Printer(p, ink);
        break;
    case Glyph::Table:
        p.setBrush(ink.Fill);
        p.drawRect(QRectF(3, 4, 18, 16));
        p.fillRect(QRectF(3.5, 4.5, 17, 4), ink.Accent);
        for (qreal y : {8.5, 12.5, 16.5}) {
            p.drawLine(QPointF(3, y), QPointF(21, y));
        }
        p.drawLine(QPointF(9, 4), QPointF(9, 20));
        p.drawLine(QPointF(15, 4), QPointF(15, 20));
        break;
    case Glyph::Html:
        p.setBrush(ink.Fill);
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.setPen(QPen(ink.Accent, 1.4));
        p.drawEllipse(QPointF(12, 12), 4, 9);
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        p.drawLine(QPointF(12, 3), QPointF(12, 21));
        break;
    case Glyph::New:
        Page(p, ink, QRectF(4, 2, 13, 18));
        p.setPen(QPen(ink.Accent, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18, 13), QPointF(18, 21));
        p.drawLine(QPointF(14, 17), QPointF(22, 17));
        break;
    case Glyph::Load:
        p.setBrush(ink.Accent);
        p.drawPath(Polyline({{3, 6}, {9, 6}, {11, 8}, {21, 8}, {21, 19}, {3, 19}}, true));
        p.setBrush(ink.Fill);
        p.drawPath(Polyline({{3, 19}, {6, 11}, {23, 11}, {20, 19}}, true));
        break;
    case Glyph::Exit:
        p.setBrush(ink.Fill);
        p.drawRect(QRectF(4, 3, 10, 18));
        p.setPen(QPen(ink.Accent, 2.4, Qt::SolidLine, Qt::RoundCap));
        Arrow(p, QPointF(10, 12), QPointF(21, 12), 4.5);
        break;
    case Glyph::Export:
    case Glyph::Import:
        p.setBrush(ink.Fill);
        p.drawPath(Polyline({{3, 10}, {3, 21}, {21, 21}, {21, 10}}));
        p.setPen(QPen(ink.Accent, 2.4, Qt::SolidLine, Qt::RoundCap));
        if (glyph == Glyph::Export) {
            Arrow(p, QPointF(12, 17), QPointF(12, 3), 5);
        } else {
            Arrow(p, QPointF(12, 3), QPointF(12, 17), 5);
        }
        break;
    case Glyph::Password:
        p.setBrush(ink.Accent);
        p.drawEllipse(QPointF(8, 12), 5, 5);
        p.setBrush(ink.Fill);
        p.drawEllipse(QPointF(7, 12), 1.6, 1.6);
        p.setPen(QPen(ink.Line, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawPolyline(QPolygonF({{13, 12}, {21, 12}, {21, 16}}));
        p.drawLine(QPointF(17.5, 12), QPointF(17.5, 15));
        break;
    case Glyph::Maintenance: {
        p.setBrush(ink.Accent);
        p.translate(12, 12);
        p.rotate(45);
        p.drawRoundedRect(QRectF(-2, -2, 4, 12), 1.5, 1.5);
        p.setBrush(ink.Fill);
        QPainterPath head;
        head.addEllipse(QPointF(0, -5), 5.5, 5.5);
        QPainterPath slot;
        slot.addRect(QRectF(-2, -12, 4, 7));
        p.drawPath(head.subtracted(slot));
        break;
    }
    case Glyph::Filter:
        p.setBrush(ink.Accent);
        p.drawPath(Polyline({{3, 4}, {21, 4}, {14, 12}, {14, 19}, {10, 21}, {10, 12}}, true));
        break;
    case Glyph::Sort:
        p.setPen(QPen(ink.Line, 1.4));
        p.setFont(QFont(QStringLiteral("Arial"), 7, QFont::Bold));
        p.drawText(QRectF(2, 1, 11, 11), Qt::AlignCenter, QStringLiteral("A"));
        p.drawText(QRectF(2, 12, 11, 11), Qt::AlignCenter, QStringLiteral("Z"));
        p.setPen(QPen(ink.Accent, 2.2, Qt::SolidLine, Qt::RoundCap));
        Arrow(p, QPointF(18, 3), QPointF(18, 21), 4);
        break;
    case Glyph::Summary:
        p.drawLine(QPointF(3, 21), QPointF(21, 21));
        p.setBrush(ink.Accent);
        p.drawRect(QRectF(4, 12, 4, 9));
        p.drawRect(QRectF(10, 6, 4, 15));
        p.setBrush(ink.Fill);
        p.drawRect(QRectF(16, 9, 4, 12));
        break;
    case Glyph::First:
        p.setBrush(ink.Line);
        p.drawRect(QRectF(4, 5, 2, 14));
        Triangle(p, ink, QPointF(7, 12), false, 7);
        break;
    case Glyph::PageUp:
        Triangle(p, ink, QPointF(3, 12), false, 7);
        Triangle(p, ink, QPointF(11, 12), false, 7);
        break;
    case Glyph::PageDown:
        Triangle(p, ink, QPointF(13, 12), true, 7);
        Triangle(p, ink, QPointF(21, 12), true, 7);
        break;
    case Glyph::Last:
        Triangle(p, ink, QPointF(17, 12), true, 7);
        p.setBrush(ink.Line);
        p.drawRect(QRectF(18, 5, 2, 14));
        break;
    case Glyph::Previous:
        Triangle(p, ink, QPointF(7, 12), false, 7);
        break;
    case Glyph::Next:
        Triangle(p, ink, QPointF(17, 12), true, 7);
        break;
    case Glyph::Synchronize:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink.Accent, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(4, 4, 16, 16), 30 * 16, 150 * 16);
        p.drawArc(QRectF(4, 4, 16, 16), 210 * 16, 150 * 16);
        Arrow(p, QPointF(18.5, 8), QPointF(19, 3.5), 0);
        Arrow(p, QPointF(18.5, 8), QPointF(14, 7.5), 0);
        Arrow(p, QPointF(5.5, 16), QPointF(5, 20.5), 0);
        Arrow(p, QPointF(5.5, 16), QPointF(10, 16.5), 0);
        break;
    case Glyph::Delete:
        p.setPen(QPen(ink.Danger, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    case Glyph::Undo:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink.Accent, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(6, 6, 14, 12), 90 * 16, -200 * 16);
        Arrow(p, QPointF(13, 6), QPointF(5, 6), 4.5);
        break;
    case Glyph::Copy:
        Page(p, ink, QRectF(3, 2, 11, 14));
        Page(p, ink, QRectF(9, 8, 11, 14));
        break;
    case Glyph::Paste:
        p.setBrush(ink.Accent);
        p.drawRoundedRect(QRectF(4, 4, 14, 17), 2, 2);
        p.setBrush(ink.Line);
        p.drawRect(QRectF(8, 2, 6, 4));
        Page(p, ink, QRectF(10, 9, 11, 13));
        break;
    case Glyph::ScrollUp:
        VerticalTriangle(p, ink, QPointF(12, 7), true, 7);
        break;
    case Glyph::ScrollDown:
        VerticalTriangle(p, ink, QPointF(12, 17), false, 7);
        break;
    case Glyph::SortAscending:
        VerticalTriangle(p, ink, QPointF(12, 6), true, 6);
        break;
    case Glyph::SortDescending:
        VerticalTriangle(p, ink, QPointF(12, 18), false, 6);
        break;
    case Glyph::Sponsor:
        p.setBrush(ink.Accent);
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setPen(QPen(ink.Fill, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(11.5, 11.5), 4.5, 4.5);
        p.drawLine(QPointF(14, 14), QPointF(17, 17));
        break;
    case Glyph::Template:
        Page(p, ink, QRectF(5, 2, 14, 19));
        p.setPen(QPen(ink.Accent, 1.6));
        for (qreal y : {8.0, 11.5, 15.0}) {
            p.drawLine(QPointF(8, y), QPointF(15, y));
        }
        break;
    }
}

class GlyphEngine : public QIconEngine {
public:
    explicit GlyphEngine(Glyph glyph) : glyph_(glyph) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const qreal side = std::min(rect.width(), rect.height());
        painter->translate(rect.x() + (rect.width() - side) / 2,
                           rect.y() + (rect.height() - side) / 2);
        painter->scale(side / 24.0, side / 24.0);
        const Ink ink = InkFor(mode);
        painter->setPen(QPen(ink.Line, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        Draw(*painter, glyph_, ink);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new GlyphEngine(glyph_); }

private:
    Glyph glyph_;
};

} // namespace

QIcon GlyphIcon(Glyph glyph) {
    return QIcon(new GlyphEngine(glyph));
}

} // namespace shelfwise::book
