#pragma once

#include <QWidget>

namespace shelfwise::book {

// The grip between the pages. Dragging it shows a line over the window where the boundary will
// go; releasing reports how far the pointer moved from the grip's centre.
class TSplitter : public QWidget {
    Q_OBJECT
public:
    explicit TSplitter(QWidget* parent);

    bool Dragging() const { return line_ != nullptr; }

signals:
    void Moved(int distance);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ShowLine(int x);

    QWidget* line_ = nullptr;
};

} // namespace shelfwise::book
