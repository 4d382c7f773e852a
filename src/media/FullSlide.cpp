#include "media/FullSlide.h"

#include "media/PictureLayout.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>

namespace shelfwise::media {

TFullSlide::TFullSlide(QImage picture, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(std::move(picture)) {
    setObjectName(QStringLiteral("FullSlide"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    QScreen* screen = parent != nullptr ? parent->screen() : this->screen();
    setGeometry(screen->geometry());
    // It opens at the picture's own size.
    SwitchMode();
}

void TFullSlide::SwitchMode() {
    fitted_ = !fitted_;
    update();
}

QRect TFullSlide::PictureRect() const {
    const QSize shown = fitted_ ? StretchedSize(picture_.size(), size()) : picture_.size();
    return {QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown};
}

void TFullSlide::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(PictureRect(), picture_);
}

void TFullSlide::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        accept();
    }
}

void TFullSlide::keyPressEvent(QKeyEvent*) {
    accept();
}

void TFullSlide::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* stretch =
        menu.addAction(QStringLiteral("Auto Stretch"), this, [this] { SwitchMode(); });
    stretch->setObjectName(QStringLiteral("AutoStretch1"));
    stretch->setCheckable(true);
    stretch->setChecked(fitted_);
    menu.exec(event->globalPos());
}

} // namespace shelfwise::media
