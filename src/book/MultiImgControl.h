#pragma once

#include <QFrame>
#include <QPixmap>
#include <string>

namespace shelfwise::book {

// The picture field of a record: holds the picture's bytes exactly as stored and shows them
// scaled into the control when they decode.
class TDbMultiImgControl : public QFrame {
    Q_OBJECT
public:
    TDbMultiImgControl(const QString& caption, QWidget* parent);

    // The control's window text ("L12" for the logo, empty for the picture).
    const QString& Caption() const { return caption_; }
    bool HasPicture() const { return !picture_.empty(); }
    const std::string& Picture() const { return picture_; }
    void SetPicture(std::string bytes);
    void ClearPicture() { SetPicture({}); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    std::string picture_;
    QPixmap shown_;
};

} // namespace shelfwise::book
