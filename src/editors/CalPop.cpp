#include "editors/CalPop.h"

#include "text/DateTemplate.h"

#include <QDate>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <cmath>

namespace shelfwise::editors {

namespace {

using namespace std::chrono;

constexpr const char* DayNames[] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
constexpr int Margin = 4;
constexpr int ButtonRow = 28;

year_month_day Today() {
    return text::FromQDate(QDate::currentDate());
}

// Grid place of the first day of the month: 0 for a Sunday.
int FirstColumn(year_month_day day) {
    return static_cast<int>(weekday(sys_days(day.year() / day.month() / 1)).c_encoding());
}

} // namespace

// A frameless tool window of the field's window: it stays above that window, not above every
// other program, and goes when that window closes or hides.
TCalendarPopup::TCalendarPopup(year_month_day selected, QWidget* parent)
    : QDialog(parent != nullptr ? parent->window() : nullptr, Qt::Tool | Qt::FramelessWindowHint),
      selected_(selected), today_(new QToolButton(this)), cancel_(new QToolButton(this)) {
    QFont small(QStringLiteral("Liberation Sans"));
    small.setPointSize(7);
    setFont(small);
    setToolTip(QStringLiteral("Click on a Day to update Date Field"));
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(silver);
    setAutoFillBackground(true);
    const QFontMetrics metrics(font());
    cellWidth_ = static_cast<int>(std::lround(1.6 * metrics.averageCharWidth()));
    rowHeight_ = static_cast<int>(std::lround(4.0 / 3.0 * metrics.height()));
    setFixedSize(21 * cellWidth_ + 2 * Margin, 8 * rowHeight_ + ButtonRow);

    today_->setObjectName(QStringLiteral("TodayBtn"));
    today_->setToolTip(QStringLiteral("Set Today Date"));
    today_->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    cancel_->setObjectName(QStringLiteral("CancelBtn"));
    cancel_->setToolTip(QStringLiteral("Close Calendar Without Updating Date Field."));
    cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    const int buttonSize = ButtonRow - 6;
    const int top = 8 * rowHeight_ + 3;
    today_->setGeometry(width() / 2 - buttonSize - 2, top, buttonSize, buttonSize);
    cancel_->setGeometry(width() / 2 + 2, top, buttonSize, buttonSize);
    for (QToolButton* button : {today_, cancel_}) {
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(today_, &QToolButton::clicked, this, [this] { Choose(Today()); });
    connect(cancel_, &QToolButton::clicked, this, &QDialog::reject);
    if (parentWidget() != nullptr) {
        parentWidget()->installEventFilter(this);
    }
}

bool TCalendarPopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() &&
        (event->type() == QEvent::Close || event->type() == QEvent::Hide)) {
        reject();
    }
    return QDialog::eventFilter(watched, event);
}

void TCalendarPopup::PlaceUnder(const QWidget& anchor) {
    PlacePopupUnder(*this, anchor);
}

QRect TCalendarPopup::DayRect(year_month_day day) const {
    if (day.year() != selected_.year() || day.month() != selected_.month()) {
        return {};
    }
    const int place = FirstColumn(day) + static_cast<int>(unsigned(day.day())) - 1;
    return {Margin + (place % 7) * 3 * cellWidth_, (2 + place / 7) * rowHeight_, 3 * cellWidth_,
            rowHeight_};
}

QRect TCalendarPopup::PreviousMonthBox() const {
    return {Margin, 2, 2 * cellWidth_, rowHeight_ - 4};
}

QRect TCalendarPopup::NextMonthBox() const {
    return {width() - Margin - 2 * cellWidth_, 2, 2 * cellWidth_, rowHeight_ - 4};
}

std::optional<year_month_day> TCalendarPopup::DayAt(QPoint point) const {
    const unsigned last =
        unsigned((selected_.year() / selected_.month() / std::chrono::last).day());
    for (unsigned d = 1; d <= last; ++d) {
        const year_month_day day{selected_.year(), selected_.month(), std::chrono::day(d)};
        if (DayRect(day).contains(point)) {
            return day;
        }
    }
    return std::nullopt;
}

void TCalendarPopup::Select(year_month_day day) {
    selected_ = day;
    update();
}

void TCalendarPopup::Choose(year_month_day day) {
    chosen_ = day;
    accept();
}

void TCalendarPopup::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    // Month header between the arrow boxes.
    for (const QRect& box : {PreviousMonthBox(), NextMonthBox()}) {
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        const bool back = box == PreviousMonthBox();
        const QPoint mid = box.center();
        const QPolygon arrow{{mid.x() + (back ? 2 : -2), mid.y() - 3},
                             {mid.x() + (back ? 2 : -2), mid.y() + 3},
                             {mid.x() + (back ? -2 : 2), mid.y()}};
        painter.setBrush(Qt::black);
        painter.drawPolygon(arrow);
        painter.setBrush(Qt::NoBrush);
    }
    const QDate shown(static_cast<int>(selected_.year()), int(unsigned(selected_.month())),
                      int(unsigned(selected_.day())));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(QRect(0, 0, width(), rowHeight_), Qt::AlignCenter,
                     QLocale(QLocale::English).toString(shown, QStringLiteral("MMMM d, yyyy")));
    painter.setFont(font());
    for (int column = 0; column < 7; ++column) {
        painter.setPen(column == 0 ? Qt::red : Qt::black);
        painter.drawText(
            QRect(Margin + column * 3 * cellWidth_, rowHeight_, 3 * cellWidth_, rowHeight_),
            Qt::AlignCenter, QString::fromLatin1(DayNames[column]));
    }
    // The sunken line under the day names.
    painter.setPen(Qt::gray);
    painter.drawLine(Margin, 2 * rowHeight_ - 2, width() - Margin, 2 * rowHeight_ - 2);
    painter.setPen(Qt::white);
    painter.drawLine(Margin, 2 * rowHeight_ - 1, width() - Margin, 2 * rowHeight_ - 1);
    const year_month_day today = Today();
    const unsigned last =
        unsigned((selected_.year() / selected_.month() / std::chrono::last).day());
    for (unsigned d = 1; d <= last; ++d) {
        const year_month_day day{selected_.year(), selected_.month(), std::chrono::day(d)};
        const QRect box = DayRect(day);
        if (day == today) {
            painter.fillRect(box, Qt::yellow);
        }
        QFont dayFont = font();
        dayFont.setBold(day == selected_);
        painter.setFont(dayFont);
        if (day == selected_) {
            painter.setPen(Qt::gray);
            painter.drawLine(box.topLeft(), box.topRight());
            painter.drawLine(box.topLeft(), box.bottomLeft());
            painter.setPen(Qt::white);
            painter.drawLine(box.bottomLeft(), box.bottomRight());
            painter.drawLine(box.topRight(), box.bottomRight());
        }
        painter.setPen(weekday(sys_days(day)) == Sunday ? Qt::red : Qt::black);
        painter.drawText(box, Qt::AlignCenter, QString::number(d));
    }
}

void TCalendarPopup::keyPressEvent(QKeyEvent* event) {
    using text::CalendarMove;
    std::optional<CalendarMove> move;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Choose(selected_);
        return;
    case Qt::Key_Escape:
        reject();
        return;
    case Qt::Key_Left:
        move = CalendarMove::DayBack;
        break;
    case Qt::Key_Right:
        move = CalendarMove::DayOn;
        break;
    case Qt::Key_Up:
        move = CalendarMove::WeekBack;
        break;
    case Qt::Key_Down:
        move = CalendarMove::WeekOn;
        break;
    case Qt::Key_PageUp:
        move = CalendarMove::MonthBack;
        break;
    case Qt::Key_PageDown:
        move = CalendarMove::MonthOn;
        break;
    case Qt::Key_Home:
        move = CalendarMove::YearOn;
        break;
    case Qt::Key_End:
        move = CalendarMove::YearBack;
        break;
    default:
        QDialog::keyPressEvent(event);
        return;
    }
    Select(text::MoveCalendarDay(selected_, *move));
}

void TCalendarPopup::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (PreviousMonthBox().contains(at)) {
        Select(text::MoveCalendarDay(selected_, text::CalendarMove::MonthBack));
    } else if (NextMonthBox().contains(at)) {
        Select(text::MoveCalendarDay(selected_, text::CalendarMove::MonthOn));
    } else if (const auto day = DayAt(at)) {
        pressedOnDay_ = true;
        Select(*day);
    }
}

void TCalendarPopup::mouseMoveEvent(QMouseEvent* event) {
    if (pressedOnDay_) {
        if (const auto day = DayAt(event->position().toPoint())) {
            Select(*day);
        }
    }
}

void TCalendarPopup::mouseReleaseEvent(QMouseEvent*) {
    if (pressedOnDay_) {
        pressedOnDay_ = false;
        Choose(selected_);
    }
}

void PlacePopupUnder(QWidget& popup, const QWidget& anchor) {
    const QRect screen = anchor.screen()->availableGeometry();
    const QPoint below = anchor.mapToGlobal(QPoint(0, anchor.height() + 1));
    QPoint at = below;
    if (at.x() + popup.width() > screen.right()) {
        at.setX(screen.right() - popup.width());
    }
    if (at.y() + popup.height() > screen.bottom()) {
        at.setY(anchor.mapToGlobal(QPoint(0, 0)).y() - popup.height() - 1);
    }
    popup.move(at);
}

std::optional<year_month_day> PickDate(QWidget* anchor, year_month_day selected) {
    // Owned by the window, so it goes with it should the window be destroyed meanwhile.
    const QPointer calendar = new TCalendarPopup(selected, anchor);
    calendar->PlaceUnder(*anchor);
    calendar->exec();
    if (calendar == nullptr) {
        return std::nullopt;
    }
    const auto chosen = calendar->Chosen();
    delete calendar;
    return chosen;
}

} // namespace shelfwise::editors
