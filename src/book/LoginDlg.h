#pragma once

#include "db/Login.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

// "Login" at start-up, "Security Check" before destructive operations: a user ID and a
// password. The caller applies the rules to what was typed.
class TLoginDlg : public QDialog {
    Q_OBJECT
public:
    enum class Use { Login, SecurityCheck };

    TLoginDlg(const settings::Settings& settings, Use use, QWidget* parent = nullptr);

    QLineEdit* UserIdEdit() const { return userId_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QPushButton* OkButton() const { return ok_; }

    // Windows-1252, as the files hold them.
    std::string UserId() const;
    std::string Password() const;

private:
    QLabel* userIdLabel_;
    QLineEdit* userId_;
    QLabel* passwordLabel_;
    QLineEdit* password_;
    QPushButton* ok_;
};

// The start-up login: shows the dialog and applies the login rules; Cancel refuses. An accepted
// account whose directory is missing gets it created ("Could not create data directory!" when
// that fails).
db::LoginResult RunLogin(settings::Settings& settings, QWidget* parent = nullptr);

// True when the session's user (or the supervisor) confirms with his password; the session
// stays as it was. A user who may not maintain the database in DatabaseDir is refused without a
// dialog; with passwords off the others pass without one.
bool SecurityCheck(const settings::Settings& settings, QWidget* parent = nullptr);

// A password edit: at most `maxLength` characters, every one shown as "*".
void MakePasswordEdit(QLineEdit* edit, int maxLength);

} // namespace shelfwise::book
