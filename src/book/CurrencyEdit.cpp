#include "book/CurrencyEdit.h"

#include "text/NumberText.h"

#include <QLocale>

namespace shelfwise::book {

TCurrencyEdit::TCurrencyEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetValue(0);
}

double TCurrencyEdit::Value() const {
    const QLocale locale;
    const QString typed = text().trimmed();
    const double value = text::ReadLocaleNumber(typed);
    return typed.startsWith(locale.negativeSign()) ? -value : value;
}

void TCurrencyEdit::SetValue(double value) {
    setText(text::LocaleNumberText(value, 2));
}

} // namespace shelfwise::book
