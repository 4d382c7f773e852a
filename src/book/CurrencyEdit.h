#pragma once

#include <QLineEdit>

namespace shelfwise::book {

// A currency field: a value shown with thousands separators and two decimals.
class TCurrencyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCurrencyEdit(QWidget* parent);

    QString DisplayFormat() const { return QStringLiteral(",0.00"); }
    double Value() const;
    void SetValue(double value);
    // Shows the typed value in the display format.
    void Reformat() { SetValue(Value()); }
};

} // namespace shelfwise::book
