#include "editors/CurrencyEdit.h"

#include "db/RecordSchema.h"
#include "engine/Table.h"
#include "text/NumberText.h"

#include <QLocale>

namespace shelfwise::editors {

TCurrencyEdit::TCurrencyEdit(QWidget* parent)
    : TButtonTextEdit(parent, QStringLiteral("Click here to display a Calculator"),
                      QStringLiteral("Numeric Field - Enter Number Here")) {
    SetAlignment(Qt::AlignRight);
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

void TCurrencyEdit::Read(const engine::Table& table, int position) {
    if (db::IsNumericType(table.field(position).type)) {
        SetValue(table.number(position));
    } else {
        TButtonTextEdit::Read(table, position);
    }
    Reformat();
}

void TCurrencyEdit::Write(engine::Table& table, int position) const {
    if (db::IsNumericType(table.field(position).type)) {
        table.setNumber(position, Value());
    } else {
        TButtonTextEdit::Write(table, position);
    }
}

std::optional<EditorColors> TCurrencyEdit::Colors() const {
    return EditorColors{settings::Element::CurrencyPositiveText,
                        settings::Element::CurrencyBackground, true};
}

} // namespace shelfwise::editors
