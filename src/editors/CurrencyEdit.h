#pragma once

#include "editors/TextEdit.h"

#include <QColor>
#include <optional>

namespace shelfwise::editors {

// A currency field: its value shown right-aligned in a display format (",0.00" by default,
// with the locale's separators), blue when positive and red when negative. Typing takes only
// digits, "-" and the decimal separator; leaving the field reads the value from the text and
// shows it formatted. Its button opens a calculator on the amount.
class TCurrencyEdit : public TButtonTextEdit {
    Q_OBJECT
public:
    explicit TCurrencyEdit(QWidget* parent);

    double Value() const { return value_; }
    // Shows the value when it differs from the current one.
    void SetValue(double value);
    // The value in the display format, coloured by its sign.
    void ShowValue();
    // Reads the value from the text; text that is no number beeps and keeps the value.
    void ParseText();
    // Reads the value from the text and shows it.
    void Refresh();

    const QString& DisplayFormat() const { return displayFormat_; }
    // At most 20 characters are kept.
    void SetDisplayFormat(const QString& format);
    const QColor& PlusColor() const { return plusColor_; }
    void SetPlusColor(const QColor& color);
    const QColor& NegColor() const { return negColor_; }
    void SetNegColor(const QColor& color);

    EditorKind Kind() const override { return EditorKind::Currency; }
    void Read(const engine::Table& table, int position) override;
    void Write(engine::Table& table, int position) const override;
    // A value too big for its field is refused with a message; the record stays as typed.
    bool Settle() override;
    bool IsFilled() const override { return !text().isEmpty() && TextValue().value_or(1) != 0; }
    void Clear() override;
    std::optional<EditorColors> Colors() const override;

protected:
    void ButtonClick() override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The value the text holds; nothing when it is no number.
    std::optional<double> TextValue() const;
    void ApplySignColor();

    double value_ = 0;
    QString displayFormat_ = QStringLiteral(",0.00");
    QColor plusColor_ = Qt::blue;
    QColor negColor_ = Qt::red;
    // The width and decimals of the number field last read; nothing before.
    std::optional<std::pair<int, int>> fieldSize_;
};

} // namespace shelfwise::editors
