#pragma once

#include <QDialog>
#include <chrono>
#include <optional>

class QToolButton;

namespace shelfwise::editors {

// Places a pop-up window one pixel below the anchor's left edge, moved left to stay on the
// screen, or above the anchor when there is no room below.
void PlacePopupUnder(QWidget& popup, const QWidget& anchor);

// The pop-up month calendar of a date field: a grid of six weeks from Sunday under the
// selected date and the day names. Keys and clicks move the selected day; Enter, a released
// click on a day or the Today button choose, Esc and the Cancel button leave.
class TCalendarPopup : public QDialog {
    Q_OBJECT
public:
    TCalendarPopup(std::chrono::year_month_day selected, QWidget* parent);

    std::chrono::year_month_day Selected() const { return selected_; }
    // The chosen day after the calendar closed; none when it was left.
    std::optional<std::chrono::year_month_day> Chosen() const { return chosen_; }
    // Places the calendar one pixel below the anchor's left edge, inside the screen.
    void PlaceUnder(const QWidget& anchor);

    int CellWidth() const { return cellWidth_; }
    int RowHeight() const { return rowHeight_; }
    // The day's box in the grid; empty for a day of another month.
    QRect DayRect(std::chrono::year_month_day day) const;
    QRect PreviousMonthBox() const;
    QRect NextMonthBox() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Select(std::chrono::year_month_day day);
    void Choose(std::chrono::year_month_day day);
    std::optional<std::chrono::year_month_day> DayAt(QPoint point) const;

    std::chrono::year_month_day selected_;
    std::optional<std::chrono::year_month_day> chosen_;
    int cellWidth_;
    int rowHeight_;
    bool pressedOnDay_ = false;
    QToolButton* today_;
    QToolButton* cancel_;
};

// Shows the calendar under the anchor with that day selected; the chosen day, none when left
// (also when the anchor's window closed meanwhile).
std::optional<std::chrono::year_month_day> PickDate(QWidget* anchor,
                                                    std::chrono::year_month_day selected);

} // namespace shelfwise::editors
