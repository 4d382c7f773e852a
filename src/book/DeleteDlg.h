#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

// "Confirm Action": the user must type YES before something that cannot be undone. OK with
// anything else in the box closes the dialog as cancelled.
class TDeleteDlg1 : public QDialog {
    Q_OBJECT
public:
    explicit TDeleteDlg1(QWidget* parent = nullptr);

    // Replaces the first line and the warning line; record deletion keeps the designed ones.
    void SetConfirmTexts(const QString& firstLine, const QString& warningLine);

    QLineEdit* Answer() const { return answer_; }
    QPushButton* OkButton() const { return ok_; }

    void accept() override;

private:
    QLabel* firstLine_;
    QLabel* warningLine_;
    QLineEdit* answer_;
    QPushButton* ok_;
};

// Shows the dialog modally; true only when YES was typed and OK pressed.
bool ConfirmByTyping(TDeleteDlg1& dialog);

// Whether a record may be deleted: at once with "Immediate Delete", else only after YES was
// typed; a refusal tells the user "Record not Deleted.".
bool ConfirmRecordDelete(QWidget* parent, const settings::Settings& settings);

} // namespace shelfwise::book
