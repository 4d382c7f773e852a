#include "book/FieldBinding.h"

#include "book/CurrencyEdit.h"
#include "book/DateEdit.h"
#include "book/MultiImgControl.h"
#include "db/RecordSchema.h"
#include "text/FieldText.h"
#include "text/NumberText.h"
#include "text/WindowsText.h"

#include <QComboBox>
#include <QPlainTextEdit>

namespace shelfwise::book {

namespace {

bool IsPictureType(char type) {
    return type == 'B' || type == 'G';
}

void SetText(const FieldEditor& editor, const QString& text) {
    // A value wider than its box shows its beginning, not its end.
    if (auto* box = qobject_cast<QComboBox*>(editor.Widget)) {
        box->setEditText(text);
        if (QLineEdit* line = box->lineEdit()) {
            line->setCursorPosition(0);
        }
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(editor.Widget)) {
        memo->setPlainText(text);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor.Widget)) {
        line->setText(text);
        line->setCursorPosition(0);
    }
}

} // namespace

QString TFieldBinding::Text(const FieldEditor& editor) {
    if (auto* box = qobject_cast<QComboBox*>(editor.Widget)) {
        return box->currentText();
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(editor.Widget)) {
        return memo->toPlainText();
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor.Widget)) {
        return line->text();
    }
    if (auto* picture = qobject_cast<TDbMultiImgControl*>(editor.Widget)) {
        return picture->Caption();
    }
    return {};
}

void TFieldBinding::Show(const FieldEditor& editor, const engine::Table& table, int position) {
    const char type = table.field(position).type;
    if (auto* picture = qobject_cast<TDbMultiImgControl*>(editor.Widget)) {
        picture->SetPicture(IsPictureType(type) ? table.bytes(position) : std::string());
    } else if (auto* date = qobject_cast<TDateEdit*>(editor.Widget); date && type == 'D') {
        date->SetDate(table.date(position));
    } else if (auto* currency = qobject_cast<TCurrencyEdit*>(editor.Widget);
               currency && db::IsNumericType(type)) {
        currency->SetValue(table.number(position));
    } else {
        SetText(editor, text::FieldText(table, position));
    }
    if (auto* currency = qobject_cast<TCurrencyEdit*>(editor.Widget)) {
        currency->Reformat();
    }
}

void TFieldBinding::Write(const FieldEditor& editor, engine::Table& table, int position) {
    const char type = table.field(position).type;
    if (type == 'M') {
        QString lines = Text(editor);
        table.setBytes(position, text::ToWindowsText(lines.replace('\n', QLatin1String("\r\n"))));
    } else if (db::IsNumericType(type)) {
        if (auto* currency = qobject_cast<TCurrencyEdit*>(editor.Widget)) {
            table.setNumber(position, currency->Value());
        } else {
            table.setNumber(position, text::ReadLocaleNumber(Text(editor)));
        }
    } else if (auto* date = qobject_cast<TDateEdit*>(editor.Widget); date && type == 'D') {
        if (const auto value = date->GetDate()) {
            table.setDate(position, value);
        } else {
            table.clear(position);
        }
    } else if (auto* picture = qobject_cast<TDbMultiImgControl*>(editor.Widget)) {
        if (picture->HasPicture()) {
            table.setBytes(position, picture->Picture());
        } else {
            table.clear(position);
        }
    } else {
        table.setText(position, text::ToWindowsText(Text(editor).left(MaxFieldText)));
    }
}

bool TFieldBinding::IsFilled(const FieldEditor& editor) {
    if (Text(editor).isEmpty()) {
        return false;
    }
    if (auto* currency = qobject_cast<TCurrencyEdit*>(editor.Widget)) {
        return currency->Value() != 0;
    }
    if (auto* date = qobject_cast<TDateEdit*>(editor.Widget)) {
        return !date->IsEmpty();
    }
    if (auto* picture = qobject_cast<TDbMultiImgControl*>(editor.Widget)) {
        return picture->HasPicture();
    }
    return true;
}

void TFieldBinding::Clear(const FieldEditor& editor) {
    if (auto* date = qobject_cast<TDateEdit*>(editor.Widget)) {
        date->SetDate(std::nullopt);
    } else if (auto* picture = qobject_cast<TDbMultiImgControl*>(editor.Widget)) {
        picture->ClearPicture();
    } else if (auto* currency = qobject_cast<TCurrencyEdit*>(editor.Widget)) {
        currency->SetValue(0);
    } else {
        SetText(editor, QString());
    }
}

} // namespace shelfwise::book
