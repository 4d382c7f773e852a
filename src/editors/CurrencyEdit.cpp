#include "editors/CurrencyEdit.h"

#include "db/RecordSchema.h"
#include "editors/CalcDlg.h"
#include "engine/Table.h"
#include "platform/Beep.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "text/NumberText.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPointer>
#include <cmath>

namespace shelfwise::editors {

namespace {

constexpr qsizetype MaxDisplayFormat = 20;

bool IsNegativeText(const QString& text) {
    return text.contains(u'-') || text.contains(u'(');
}

// The calculator's display in the field's notation: the locale's decimal separator, digits and
// a leading "-" only.
QString FieldNotation(const QString& display) {
    const QString decimal = QLocale().decimalPoint();
    QString text;
    for (qsizetype i = 0; i < display.size(); ++i) {
        const QChar c = display.at(i);
        if (c.isDigit() || (c == u'-' && i == 0)) {
            text += c;
        } else if (c == u'.') {
            text += decimal;
        }
    }
    return text;
}

} // namespace

TCurrencyEdit::TCurrencyEdit(QWidget* parent)
    : TButtonTextEdit(parent, QStringLiteral("Click here to display a Calculator"),
                      QStringLiteral("Numeric Field - Enter Number Here")) {
    SetAlignment(Qt::AlignRight);
    resize(120, 22);
    ShowValue();
}

std::optional<double> TCurrencyEdit::TextValue() const {
    const QString typed = text();
    const auto value = text::ParseLocaleNumber(typed);
    if (!value) {
        return std::nullopt;
    }
    return IsNegativeText(typed) ? -*value : *value;
}

void TCurrencyEdit::SetValue(double value) {
    if (value != value_) {
        value_ = value;
        ShowValue();
    }
}

void TCurrencyEdit::ShowValue() {
    ApplySignColor();
    setText(text::LocaleFormatFloat(value_, displayFormat_));
}

void TCurrencyEdit::ApplySignColor() {
    // The colour follows the value shown, not the text it replaces.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Text, value_ < 0 ? negColor_ : plusColor_);
    setPalette(palette);
}

void TCurrencyEdit::ParseText() {
    if (const auto value = TextValue()) {
        value_ = *value;
    } else {
        platform::Beep();
    }
}

void TCurrencyEdit::Refresh() {
    ParseText();
    ShowValue();
}

void TCurrencyEdit::SetDisplayFormat(const QString& format) {
    const QString kept = format.left(MaxDisplayFormat);
    if (kept != displayFormat_) {
        displayFormat_ = kept;
        ShowValue();
    }
}

void TCurrencyEdit::SetPlusColor(const QColor& color) {
    plusColor_ = color;
    ApplySignColor();
}

void TCurrencyEdit::SetNegColor(const QColor& color) {
    negColor_ = color;
    ApplySignColor();
}

void TCurrencyEdit::Clear() {
    value_ = 0;
    ShowValue();
}

void TCurrencyEdit::Read(const engine::Table& table, int position) {
    const engine::FieldDescriptor& field = table.field(position);
    if (db::IsNumericType(field.type)) {
        fieldSize_.emplace(field.width, field.decimals);
        value_ = table.number(position);
        ShowValue();
    } else {
        fieldSize_.reset();
        TButtonTextEdit::Read(table, position);
        Refresh();
    }
}

void TCurrencyEdit::Write(engine::Table& table, int position) const {
    if (db::IsNumericType(table.field(position).type)) {
        // What is typed counts even when the field was never left.
        table.setNumber(position, TextValue().value_or(value_));
    } else {
        TButtonTextEdit::Write(table, position);
    }
}

bool TCurrencyEdit::Settle() {
    Refresh();
    if (!fieldSize_ || text::FitsNumberField(value_, fieldSize_->first, fieldSize_->second)) {
        return true;
    }
    const auto [width, decimals] = *fieldSize_;
    const int places = width - decimals - (decimals > 0 ? 1 : 0);
    const double largest = std::pow(10.0, places) - std::pow(10.0, -decimals);
    const QString format =
        decimals > 0 ? QStringLiteral(",0.") + QString(decimals, u'0') : QStringLiteral(",0");
    platform::ShowError(("The number " + text() +
                         " is too big for this field.\nThe largest it "
                         "can hold is " +
                         text::LocaleFormatFloat(largest, format) + ".")
                            .toStdString());
    setFocus();
    selectAll();
    return false;
}

std::optional<EditorColors> TCurrencyEdit::Colors() const {
    return EditorColors{settings::Element::CurrencyPositiveText,
                        settings::Element::CurrencyBackground, true};
}

void TCurrencyEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    if (typed.size() == 1 && typed.front().isPrint() && !typed.front().isDigit() && typed != u"-" &&
        typed != QLocale().decimalPoint()) {
        // Dropped quietly.
        event->accept();
        return;
    }
    TButtonTextEdit::keyPressEvent(event);
}

void TCurrencyEdit::focusOutEvent(QFocusEvent* event) {
    TButtonTextEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && !IsRecordReadOnly()) {
        Refresh();
    }
}

void TCurrencyEdit::ButtonClick() {
    const QString before = text();
    // Owned by the window, so it goes with it should the window be destroyed meanwhile.
    const QPointer calculator = new TCalcDlg(this);
    connect(calculator, &TCalcDlg::DisplayChanged, this, &QLineEdit::setText);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Text, Qt::black);
    setPalette(palette);
    calculator->Reset();
    calculator->adjustSize();
    calculator->PlaceUnder(*this);
    const bool ok = platform::RunModal(*calculator) == QDialog::Accepted;
    if (calculator == nullptr) {
        return;
    }
    const QString display = calculator->Display();
    delete calculator;
    setFocus();
    setText(ok ? FieldNotation(display) : before);
    Refresh();
}

} // namespace shelfwise::editors
