#pragma once

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

// "Password Dialog": one password under a label set for each use.
class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 27;

    explicit TPasswordDlg(const QString& label, QWidget* parent = nullptr);

    QLineEdit* PasswordEdit() const { return password_; }
    QLabel* Label() const { return label_; }

private:
    QLabel* label_;
    QLineEdit* password_;
};

// The "Password" command: the session's user (or the supervisor) changes his own password. The
// change is stored at once, hashed.
void ChangePassword(settings::Settings& settings, QWidget* parent = nullptr);

} // namespace shelfwise::book
