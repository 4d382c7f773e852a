#include "app/ProgramIcon.h"

#include <QPainter>

namespace shelfwise::app {

QPixmap ProgramIcon() {
    constexpr int Size = 32;
    QPixmap picture(Size, Size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // Pages showing at the fore edge, then the cover and its spine.
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 3.5, 21, 26));
    p.setPen(QColor(0x00, 0x00, 0x60));
    p.setBrush(QColor(0x00, 0x00, 0x80));
    p.drawRect(QRectF(4.5, 2.5, 21, 26));
    p.setBrush(QColor(0x80, 0x00, 0x00));
    p.drawRect(QRectF(4.5, 2.5, 5, 26));
    p.setPen(QPen(QColor(0xFF, 0xFF, 0x00), 2));
    p.drawLine(QPointF(13, 9), QPointF(22, 9));
    p.drawLine(QPointF(13, 13), QPointF(20, 13));
    return picture;
}

} // namespace shelfwise::app
