#pragma once

#include <QDialog>
#include <QImage>

namespace shelfwise::media {

// The picture alone on a black screen: at its own size first, then fitted to the screen and
// back from the pop-up menu; a click or a key closes it.
class TFullSlide : public QDialog {
    Q_OBJECT
public:
    TFullSlide(QImage picture, QWidget* parent);

    bool Fitted() const { return fitted_; }
    void SwitchMode();
    // Where the picture is drawn.
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QImage picture_;
    bool fitted_ = true;
};

} // namespace shelfwise::media
