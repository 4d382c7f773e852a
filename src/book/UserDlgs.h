#pragma once

#include "db/UserList.h"

#include <QDialog>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

// "User Account": one account's name, user ID, password, rights and status. The password edit
// starts empty: a stored password is never shown, and an empty edit keeps it.
class TUserDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 111;

    // `index` is the edited account's position in `users`, -1 for a new account.
    TUserDlg(const db::TUserList& users, int index, QWidget* parent = nullptr);

    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* UserIdEdit() const { return userId_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QLineEdit* DataDirectoryEdit() const { return dataDirectory_; }
    QButtonGroup* AccessGroup() const { return access_; }
    QButtonGroup* StatusGroup() const { return status_; }

    // The typed values (Windows-1252); the password in clear text.
    std::string Name() const;
    std::string UserId() const;
    std::string Password() const;
    db::AccountAccess Access() const;
    db::AccountStatus Status() const;

    // Closes only with a name and a user ID that no other account has.
    void accept() override;

private:
    const db::TUserList& users_;
    int index_;
    QLineEdit* name_;
    QLineEdit* userId_;
    QLineEdit* password_;
    QLineEdit* dataDirectory_;
    QButtonGroup* access_;
    QButtonGroup* status_;
};

// "User Accounts": the supervisor's list of accounts. Every change is stored at once.
class TUserLstDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 110;

    TUserLstDlg(const settings::Settings& settings, QWidget* parent = nullptr);

    QListWidget* UserList() const { return list_; }
    const db::TUserList& Users() const { return users_; }

    void done(int result) override;

private:
    void NewUser();
    void EditUser();
    void DeleteUser();
    void Refill(const std::string& selected);
    int SelectedIndex() const;
    bool Save();

    const settings::Settings& settings_;
    db::TUserList users_;
    QListWidget* list_;
};

} // namespace shelfwise::book
