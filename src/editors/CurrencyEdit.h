#pragma once

#include "editors/TextEdit.h"

namespace shelfwise::editors {

// A currency field: a value shown right-aligned with thousands separators and two decimals.
// Its button is to open a calculator on the amount; until that is built the button does
// nothing.
class TCurrencyEdit : public TButtonTextEdit {
    Q_OBJECT
public:
    explicit TCurrencyEdit(QWidget* parent);

    QString DisplayFormat() const { return QStringLiteral(",0.00"); }
    double Value() const;
    void SetValue(double value);
    // Shows the typed value in the display format.
    void Reformat() { SetValue(Value()); }

    EditorKind Kind() const override { return EditorKind::Currency; }
    void Read(const engine::Table& table, int position) override;
    void Write(engine::Table& table, int position) const override;
    bool Settle() override {
        Reformat();
        return true;
    }
    bool IsFilled() const override { return !text().isEmpty() && Value() != 0; }
    void Clear() override { SetValue(0); }
    std::optional<EditorColors> Colors() const override;
};

} // namespace shelfwise::editors
