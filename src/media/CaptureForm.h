#pragma once

#include <QDialog>
#include <QImage>

namespace shelfwise::media {

// Shows a frozen picture of the screen over the whole screen; the user drags the rectangle to
// keep.
class TCaptureForm : public QDialog {
    Q_OBJECT
public:
    TCaptureForm(QImage snapshot, QWidget* parent);

    // The dragged part of the snapshot; empty when nothing of width and height was dragged.
    const QImage& Result() const { return result_; }

    // Hides the owner window (a modal dialog keeps running), takes the snapshot of the owner's
    // screen, lets the user drag and shows the owner again.
    static QImage Capture(QWidget* owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Spanned by the two points, the right and bottom ones outside it.
    QRect Dragged() const;

    QImage snapshot_;
    QImage result_;
    QPoint start_;
    QPoint end_;
    bool dragging_ = false;
};

} // namespace shelfwise::media
