#include "media/CaptureForm.h"

#include "platform/Dialogs.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdlib>

namespace shelfwise::media {
namespace {

// Time for the desktop to repaint what the hidden window covered.
constexpr int RepaintWaitMs = 150;

} // namespace

TCaptureForm::TCaptureForm(QImage snapshot, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      snapshot_(std::move(snapshot)) {
    setObjectName(QStringLiteral("CaptureForm"));
    setCursor(Qt::CrossCursor);
    // The snapshot is in device pixels; the window covers the screen in logical ones.
    resize(snapshot_.deviceIndependentSize().toSize());
}

QRect TCaptureForm::Dragged() const {
    return QRect(QPoint(std::min(start_.x(), end_.x()), std::min(start_.y(), end_.y())),
                 QSize(std::abs(end_.x() - start_.x()), std::abs(end_.y() - start_.y())));
}

void TCaptureForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), snapshot_);
    if (dragging_) {
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.drawRect(Dragged());
    }
}

void TCaptureForm::mousePressEvent(QMouseEvent* event) {
    start_ = end_ = event->position().toPoint();
    dragging_ = true;
    update();
}

void TCaptureForm::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        end_ = event->position().toPoint();
        update();
    }
}

void TCaptureForm::mouseReleaseEvent(QMouseEvent* event) {
    end_ = event->position().toPoint();
    dragging_ = false;
    const QRect area = Dragged();
    const qreal ratio = snapshot_.devicePixelRatio();
    const QRect pixels(qRound(area.x() * ratio), qRound(area.y() * ratio),
                       qRound(area.width() * ratio), qRound(area.height() * ratio));
    result_ = pixels.width() > 0 && pixels.height() > 0 ? snapshot_.copy(pixels) : QImage();
    result_.setDevicePixelRatio(1);
    accept();
}

QImage TCaptureForm::Capture(QWidget* owner) {
    QScreen* screen = owner->screen();
    owner->lower();
    QApplication::processEvents();
    // A dialog's own hide would end its modal run; the plain widget's hides it only.
    owner->QWidget::setVisible(false);
    QApplication::processEvents();
    QThread::msleep(RepaintWaitMs);
    QApplication::processEvents();
    QImage snapshot = screen->grabWindow(0).toImage();
    QImage result;
    {
        TCaptureForm form(snapshot, nullptr);
        form.move(screen->geometry().topLeft());
        platform::RunModal(form);
        result = form.Result();
    }
    owner->QWidget::setVisible(true);
    owner->raise();
    owner->activateWindow();
    return result;
}

} // namespace shelfwise::media
