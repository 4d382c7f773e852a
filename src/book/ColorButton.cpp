#include "book/ColorButton.h"

#include <QPainter>
#include <QPainterPath>

namespace shelfwise::book {

TColorButton::TColorButton(const QString& name, QWidget* parent) : QAbstractButton(parent) {
    setObjectName(name);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
}

void TColorButton::SetColors(const QColor& text, const QColor& background) {
    text_ = text;
    background_ = background;
    update();
}

void TColorButton::SetSelectedColors(const QColor& text, const QColor& background) {
    selectedText_ = text;
    selectedBackground_ = background;
    update();
}

void TColorButton::SetSelected(bool selected) {
    if (selected && parentWidget()) {
        for (auto* sibling :
             parentWidget()->findChildren<TColorButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (sibling != this && sibling->selected_) {
                sibling->selected_ = false;
                sibling->update();
            }
        }
    }
    selected_ = selected;
    update();
}

void TColorButton::nextCheckState() {
    if (stayDown_) {
        SetSelected(true);
    }
}

bool TColorButton::ShowsSelected() const {
    return hasFocus() || (stayDown_ && selected_);
}

void TColorButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool enabled = isEnabled();
    const bool selected = ShowsSelected() && enabled;
    QColor fill = selected ? selectedBackground_ : background_;
    QColor ink = selected ? selectedText_ : text_;
    if (!enabled) {
        fill = QColor(0xC0, 0xC0, 0xC0);
        ink = QColor(0x80, 0x80, 0x80);
    }
    const bool down = isDown() || (stayDown_ && selected_ && enabled);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = rounded_ ? 3.5 : 2.0;
    QPainterPath shape;
    shape.addRoundedRect(frame, radius, radius);

    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, down ? fill.darker(108) : fill.lighter(112));
    gradient.setColorAt(1, down ? fill.lighter(104) : fill.darker(106));
    p.fillPath(shape, gradient);
    p.setPen(QPen(QColor(0, 0, 0, enabled ? 150 : 90), 1));
    p.drawPath(shape);
    if (!down && height() > 8) {
        p.setPen(QColor(255, 255, 255, 110));
        p.drawLine(QPointF(frame.left() + radius, frame.top() + 1),
                   QPointF(frame.right() - radius, frame.top() + 1));
    }
    QRect area = rect().adjusted(1, 1, -1, -1);
    if (isDown()) {
        area.translate(1, 1);
    }
    PaintContents(p, area, ink);
    if (hasFocus() && enabled && height() > 16) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(ink, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(6, 4, -7, -5));
    }
}

void TColorButton::PaintContents(QPainter& painter, const QRect& area, const QColor& text) {
    painter.setPen(text);
    painter.setFont(font());
    painter.drawText(area, Qt::AlignCenter, this->text());
}

} // namespace shelfwise::book
