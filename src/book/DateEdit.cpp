#include "book/DateEdit.h"

#include <QDate>

namespace shelfwise::book {

TDateEdit::TDateEdit(QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(QStringLiteral("__/__/____"));
    setMaxLength(10);
}

QString TDateEdit::QtFormat() const {
    QString format = format_;
    return format.replace(QLatin1String("mm"), QLatin1String("MM"));
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
        const QDate last(int(shown_->year()), unsigned(shown_->month()), unsigned(shown_->day()));
        if (last.toString(QtFormat()) == typed) {
            return shown_;
        }
    }
    const QDate date = QDate::fromString(typed, QtFormat());
    if (!date.isValid()) {
        return std::nullopt;
    }
    return std::chrono::year_month_day{std::chrono::year(date.year()),
                                       std::chrono::month(unsigned(date.month())),
                                       std::chrono::day(unsigned(date.day()))};
}

void TDateEdit::SetDate(Date date) {
    shown_ = date;
    if (!date) {
        clear();
        return;
    }
    const QDate shown(int(date->year()), unsigned(date->month()), unsigned(date->day()));
    setText(shown.toString(QtFormat()));
}

} // namespace shelfwise::book
