#include "editors/DateEdit.h"

#include "engine/Table.h"

#include <QDate>

namespace shelfwise::editors {

TDateEdit::TDateEdit(QWidget* parent) : TTextEdit(parent) {
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

void TDateEdit::Read(const engine::Table& table, int position) {
    if (table.field(position).type == 'D') {
        SetDate(table.date(position));
    } else {
        TTextEdit::Read(table, position);
    }
}

void TDateEdit::ReadFromTemplate(const engine::Table& table, int position) {
    Read(table, position);
    if (table.field(position).type == 'D' && table.date(position) == TemplateDateMarker) {
        SetDate(text::FromQDate(QDate::currentDate()));
    }
}

void TDateEdit::Write(engine::Table& table, int position) const {
    if (table.field(position).type != 'D') {
        TTextEdit::Write(table, position);
    } else if (const auto value = GetDate()) {
        table.setDate(position, value);
    } else {
        table.clear(position);
    }
}

} // namespace shelfwise::editors
