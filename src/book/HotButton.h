#pragma once

#include <QTimer>
#include <QToolButton>

namespace shelfwise::book {

// A speed bar or paging button with a picture and a caption that turns red while the pointer is
// over it. Half a second after turning red it turns black again when the pointer has left
// without the leave being seen.
class THotBtn : public QToolButton {
    Q_OBJECT
public:
    THotBtn(const QString& name, const QString& caption, const QIcon& icon, QWidget* parent);

    // The caption is kept while it is not shown, so it comes back as it was.
    void ShowCaption(bool shown);
    bool CaptionShown() const { return captionShown_; }
    QString Caption() const { return caption_; }
    bool IsHot() const { return hot_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetHot(bool hot);

    QString caption_;
    bool captionShown_ = true;
    bool hot_ = false;
    QTimer cooling_;
};

// The template chooser's flat button: red on every pointer move over it, black when it leaves.
class THotSpeedBtn : public QToolButton {
    Q_OBJECT
public:
    THotSpeedBtn(const QString& name, QWidget* parent);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

} // namespace shelfwise::book
