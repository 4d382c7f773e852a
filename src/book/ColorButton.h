#pragma once

#include <QAbstractButton>
#include <QColor>

namespace shelfwise::book {

// A push button painted in four colours of its own: text and background, and the two used
// while it is selected or focused. A stay-down button stays selected after a click; selecting
// one deselects the selected button among the children of the same parent.
class TColorButton : public QAbstractButton {
    Q_OBJECT
public:
    TColorButton(const QString& name, QWidget* parent);

    void SetColors(const QColor& text, const QColor& background);
    void SetSelectedColors(const QColor& text, const QColor& background);
    QColor TextColor() const { return text_; }
    QColor BackgroundColor() const { return background_; }
    QColor SelectedTextColor() const { return selectedText_; }
    QColor SelectedBackgroundColor() const { return selectedBackground_; }

    void SetStayDown(bool stayDown) { stayDown_ = stayDown; }
    bool StayDown() const { return stayDown_; }
    void SetSelected(bool selected);
    bool Selected() const { return selected_; }

    // Rounded corners suit the letter tabs; rows are square.
    void SetRounded(bool rounded) { rounded_ = rounded; }

    QSize sizeHint() const override { return {75, 25}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;
    // Paints the caption; rows paint their columns instead.
    virtual void PaintContents(QPainter& painter, const QRect& area, const QColor& text);
    bool ShowsSelected() const;

private:
    QColor text_ = Qt::black;
    QColor background_ = QColor(0xC0, 0xC0, 0xC0);
    QColor selectedText_ = Qt::black;
    QColor selectedBackground_ = QColor(0xC0, 0xC0, 0xC0);
    bool stayDown_ = false;
    bool selected_ = false;
    bool rounded_ = false;
};

} // namespace shelfwise::book
