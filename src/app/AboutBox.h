#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

namespace shelfwise::app {

// "About": the program's picture, name and version on silver, without a frame. As the about box
// the picture grows into view one pixel a tick; as the start-up splash ("Welcome") it shows at
// full size and has no OK button.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    enum class Use { About, Splash };
    static constexpr int TickMilliseconds = 20;

    explicit TAboutBox(Use use, QWidget* parent = nullptr);

    QLabel* Picture() const { return picture_; }
    QLabel* ProductName() const { return productName_; }
    QLabel* Version() const { return version_; }
    QPushButton* OkButton() const { return ok_; }
    QTimer* Timer() const { return timer_; }
    // The size the picture is drawn at now.
    QSize PictureSize() const { return pictureSize_; }

    // One step of the animation: one pixel wider and higher, until the picture's own size.
    void Tick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void DrawPicture();

    QPixmap full_;
    QSize pictureSize_;
    bool animated_;
    QLabel* picture_;
    QLabel* productName_;
    QLabel* version_;
    QPushButton* ok_;
    QTimer* timer_;
};

} // namespace shelfwise::app
