#include "book/LoginDlg.h"

#include "book/DialogButtons.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "text/WindowsText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace shelfwise::book {

void MakePasswordEdit(QLineEdit* edit, int maxLength) {
    edit->setMaxLength(maxLength);
    edit->setEchoMode(QLineEdit::Password);
    // The toolkit's own mask is a bullet.
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

TLoginDlg::TLoginDlg(const settings::Settings& settings, Use use, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("LoginDlg"));
    setWindowTitle(use == Use::Login ? QStringLiteral("Login") : QStringLiteral("Security Check"));
    setModal(true);

    userIdLabel_ = new QLabel(QStringLiteral("User ID:"), this);
    userIdLabel_->setObjectName(QStringLiteral("UserIdLabel"));
    userId_ = new QLineEdit(this);
    userId_->setObjectName(QStringLiteral("UserIdEdit"));
    userId_->setMaxLength(10);
    userIdLabel_->setBuddy(userId_);
    passwordLabel_ = new QLabel(QStringLiteral("Password:"), this);
    passwordLabel_->setObjectName(QStringLiteral("PasswordLabel"));
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("PasswordEdit"));
    MakePasswordEdit(password_, 20);
    passwordLabel_->setBuddy(password_);

    auto* fields = new QGridLayout;
    fields->addWidget(userIdLabel_, 0, 0);
    fields->addWidget(userId_, 0, 1);
    fields->addWidget(passwordLabel_, 1, 0);
    fields->addWidget(password_, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    ok_ = AddDialogButtons(*this, *layout);

    const bool multiUser = settings.UserCount == settings::opt::UserCount::MultiUser;
    if (use == Use::SecurityCheck) {
        // Only the session's own identity is confirmed.
        userId_->setText(text::FromWindowsText(db::SessionUserId(settings)));
        userId_->setReadOnly(true);
        password_->setFocus();
    } else if (multiUser) {
        userId_->setFocus();
        if (settings.PasswordMode == settings::opt::PasswordMode::NotRequired) {
            passwordLabel_->hide();
            password_->hide();
        }
    } else {
        userId_->setText(QString::fromLatin1(db::SupervisorId));
        userIdLabel_->hide();
        userId_->hide();
        password_->setFocus();
    }
}

std::string TLoginDlg::UserId() const {
    return text::ToWindowsText(userId_->text());
}

std::string TLoginDlg::Password() const {
    return text::ToWindowsText(password_->text());
}

db::LoginResult RunLogin(settings::Settings& settings, QWidget* parent) {
    TLoginDlg dialog(settings, TLoginDlg::Use::Login, parent);
    if (platform::RunModal(dialog) != QDialog::Accepted) {
        return db::LoginResult::Refused;
    }
    const db::LoginResult result = db::Login(settings, dialog.UserId(), dialog.Password());
    if (result == db::LoginResult::Accepted && !settings.IsSupervisor &&
        !db::EnsureAccountDirectories(settings.DatabaseDir)) {
        platform::ShowWarning("Could not create data directory!");
    }
    return result;
}

bool SecurityCheck(const settings::Settings& settings, QWidget* parent) {
    if (!db::RightsOf(settings).Maintenance) {
        return false;
    }
    if (!db::SecurityCheckNeeded(settings)) {
        return true;
    }
    TLoginDlg dialog(settings, TLoginDlg::Use::SecurityCheck, parent);
    return platform::RunModal(dialog) == QDialog::Accepted &&
           db::ConfirmIdentity(settings, dialog.UserId(), dialog.Password());
}

} // namespace shelfwise::book
