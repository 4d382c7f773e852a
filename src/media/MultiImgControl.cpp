#include "media/MultiImgControl.h"

#include "engine/Table.h"

#include <QPainter>

namespace shelfwise::media {

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

void TDbMultiImgControl::Read(const engine::Table& table, int position) {
    const char type = table.field(position).type;
    SetPicture(type == 'B' || type == 'G' ? table.bytes(position) : std::string());
}

void TDbMultiImgControl::Write(engine::Table& table, int position) const {
    if (HasPicture()) {
        table.setBytes(position, picture_);
    } else {
        table.clear(position);
    }
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

} // namespace shelfwise::media
