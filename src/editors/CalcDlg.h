#pragma once

#include "editors/Calculator.h"

#include <QDialog>

class QAbstractButton;

namespace shelfwise::editors {

// The currency field's pocket calculator: a borderless window of twenty keys with OK and
// Cancel below. Keys typed anywhere in it act as its buttons; Enter is taken by the focused
// button, and a click on any key moves the focus to OK so that Enter then closes it. OK while
// the display shows "Error" closes it as Cancel. The buttons are named B_C, B_Del, B_Sign,
// B_Div, B_Mult, B_Subt, B_Plus, B_Dot, B_Perc, B_Equ, B_0 .. B_9, B_OK and B_Cancel.
class TCalcDlg : public QDialog {
    Q_OBJECT
public:
    explicit TCalcDlg(QWidget* parent);

    // Clears the calculator; the display shows "0".
    void Reset();
    QString Display() const;
    // Places the calculator as the date calendar is placed under its field.
    void PlaceUnder(const QWidget& anchor);

signals:
    // After every key, the text the field shows meanwhile.
    void DisplayChanged(const QString& display);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Press(char key);

    TCalculator calculator_;
    QAbstractButton* ok_ = nullptr;
};

} // namespace shelfwise::editors
