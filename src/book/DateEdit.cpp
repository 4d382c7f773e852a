#include "book/DateEdit.h"

namespace shelfwise::book {

TDateEdit::TDateEdit(QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(QStringLiteral("__/__/____"));
    setMaxLength(10);
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
        if (text::FormatDate(shown_, format_) == typed) {
            return shown_;
        }
    }
    return text::ReadDate(typed, format_);
}

void TDateEdit::SetDate(Date date) {
    shown_ = date;
    setText(text::FormatDate(date, format_));
}

} // namespace shelfwise::book
