#pragma once

#include <QWidget>

namespace shelfwise::book {

// One column of the 16 palette colours; the selected one is outlined inside its cell, in black
// on light colours and in yellow on the four dark ones.
class TColorGrid : public QWidget {
    Q_OBJECT
public:
    explicit TColorGrid(QWidget* parent);

    void SetSelected(int paletteIndex);
    int Selected() const { return selected_; }
    QSize sizeHint() const override { return {56, 16 * 18}; }

signals:
    void ColorClicked(int paletteIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect Cell(int index) const;

    int selected_ = 0;
};

} // namespace shelfwise::book
