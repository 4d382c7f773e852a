#pragma once

#include <QTabBar>
#include <QTabWidget>
#include <string>
#include <vector>

namespace shelfwise::book {

class TPanel;

// The tab bar of the record pages: a press on a tab starts dragging it, and releasing it over
// another tab moves the active page there.
class TRecordTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit TRecordTabBar(QWidget* parent);

signals:
    void PageMoved(int from, int to);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int dragged_ = -1;
};

// The record tab pages "Part 1".."Part 4", each with its lowered page panel.
class TRecordTabs : public QTabWidget {
    Q_OBJECT
public:
    explicit TRecordTabs(QWidget* parent);

    // The page panel "PgR1".."PgR4" that holds a page's fields.
    TPanel* PagePanel(int number) const;
    // Captions of the pages in their current order.
    std::vector<std::string> Captions() const;
    void MovePage(int from, int to);

    void SetColor(const QColor& colour);
};

} // namespace shelfwise::book
