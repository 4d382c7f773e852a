#include "book/MultiImgControl.h"

#include <QPainter>

namespace shelfwise::book {

TDbMultiImgControl::TDbMultiImgControl(const QString& caption, QWidget* parent)
    : QFrame(parent), caption_(caption) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

void TDbMultiImgControl::SetPicture(std::string bytes) {
    picture_ = std::move(bytes);
    shown_ = QPixmap();
    shown_.loadFromData(reinterpret_cast<const uchar*>(picture_.data()),
                        static_cast<uint>(picture_.size()));
    update();
}

void TDbMultiImgControl::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (shown_.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRect area = contentsRect();
    const QPixmap scaled =
        shown_.scaled(area.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter.drawPixmap(area.x() + (area.width() - scaled.width()) / 2,
                       area.y() + (area.height() - scaled.height()) / 2, scaled);
}

} // namespace shelfwise::book
