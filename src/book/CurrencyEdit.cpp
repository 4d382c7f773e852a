#include "book/CurrencyEdit.h"

#include "book/NumberText.h"

#include <QLocale>

namespace shelfwise::book {

TCurrencyEdit::TCurrencyEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetValue(0);
}

double TCurrencyEdit::Value() const {
    const QLocale locale;
    const QString typed = text().trimmed();
    const double value = ReadNumberText(
        typed.toStdString(), locale.decimalPoint().at(0).toLatin1(),
        locale.groupSeparator().isEmpty() ? '\0' : locale.groupSeparator().at(0).toLatin1());
    return typed.startsWith(locale.negativeSign()) ? -value : value;
}

void TCurrencyEdit::SetValue(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    setText(locale.toString(value, 'f', 2));
}

} // namespace shelfwise::book
