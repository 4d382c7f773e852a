#include "book/DateEdit.h"

#include <QDate>

namespace shelfwise::book {

TDateEdit::TDateEdit(QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(QStringLiteral("__/__/____"));
    setMaxLength(10);
}

namespace {

QString QtFormat(QString format) {
    return format.replace(QLatin1String("mm"), QLatin1String("MM"));
}

QDate ToQDate(const std::chrono::year_month_day& date) {
    return {int(date.year()), int(unsigned(date.month())), int(unsigned(date.day()))};
}

} // namespace

QString TDateEdit::FormatDate(const Date& date, const QString& format) {
    return date ? ToQDate(*date).toString(QtFormat(format)) : QString();
}

void TDateEdit::SetDisplayFormat(const QString& format) {
    const Date date = GetDate();
    format_ = format;
    SetDate(date);
}

TDateEdit::Date TDateEdit::GetDate() const {
    const QString typed = text().trimmed();
    if (typed.isEmpty()) {
        return std::nullopt;
    }
    if (shown_) {
        if (FormatDate(shown_, format_) == typed) {
            return shown_;
        }
    }
    const QDate date = QDate::fromString(typed, QtFormat(format_));
    if (!date.isValid()) {
        return std::nullopt;
    }
    return std::chrono::year_month_day{std::chrono::year(date.year()),
                                       std::chrono::month(unsigned(date.month())),
                                       std::chrono::day(unsigned(date.day()))};
}

void TDateEdit::SetDate(Date date) {
    shown_ = date;
    setText(FormatDate(date, format_));
}

} // namespace shelfwise::book
