#include "book/PasswordDlg.h"

#include "book/DialogButtons.h"
#include "book/LoginDlg.h"
#include "db/Passwords.h"
#include "db/UserList.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "settings/SettingsFiles.h"
#include "text/WindowsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace shelfwise::book {

namespace {

// The typed text (Windows-1252), nothing when cancelled.
std::optional<std::string> AskPassword(const QString& label, QWidget* parent) {
    TPasswordDlg dialog(label, parent);
    if (platform::RunModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return text::ToWindowsText(dialog.PasswordEdit()->text());
}

// Steps 2-4: the old password, the new one twice. Nothing when the change ends early.
std::optional<std::string> AskNewPassword(const std::string& stored, QWidget* parent) {
    if (!stored.empty()) {
        const auto old = AskPassword(QStringLiteral("Enter Your Old Password:"), parent);
        if (!old) {
            return std::nullopt;
        }
        if (!db::PasswordMatches(stored, *old)) {
            platform::ShowError("Wrong Password!");
            return std::nullopt;
        }
    }
    const auto typed = AskPassword(QStringLiteral("Enter New Password:"), parent);
    if (!typed) {
        return std::nullopt;
    }
    const auto again = AskPassword(QStringLiteral("Reenter New Password:"), parent);
    if (!again) {
        return std::nullopt;
    }
    if (*again != *typed) {
        platform::ShowError("Reentered Password is different!");
        return std::nullopt;
    }
    return typed;
}

constexpr const char* SaveFailed = "Could not Save Options to a File!";

// The text to store; nothing (after the message) when the system could not hash.
std::optional<std::string> Hashed(const std::string& password) {
    try {
        return db::HashPassword(password);
    } catch (const std::runtime_error&) {
        platform::ShowError(SaveFailed);
        return std::nullopt;
    }
}

} // namespace

TPasswordDlg::TPasswordDlg(const QString& label, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(QStringLiteral("Password Dialog"));
    setModal(true);
    label_ = new QLabel(label, this);
    label_->setObjectName(QStringLiteral("PasswordLabel"));
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("PasswordEdit"));
    MakePasswordEdit(password_, 20);
    label_->setBuddy(password_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(password_);
    AddDialogButtons(*this, *layout, HelpContext);
    password_->setFocus();
}

void ChangePassword(settings::Settings& settings, QWidget* parent) {
    if (settings.IsSupervisor) {
        const auto password = AskNewPassword(settings.SupervisorPassword, parent);
        const auto hash = password ? Hashed(*password) : std::nullopt;
        if (!hash) {
            return;
        }
        settings.SupervisorPassword = *hash;
        if (!settings::SaveSecurityOptions(settings)) {
            platform::ShowError(SaveFailed);
            return;
        }
        platform::ShowInformation("New Password accepted!");
        // Only the supervisor changes an option of the whole installation.
        if (settings.PasswordMode == settings::opt::PasswordMode::NotRequired &&
            platform::AskYesNo(platform::MessageKind::Information,
                               "Do you want to activate the Password System next time you "
                               "start the program?")) {
            settings.PasswordMode = settings::opt::PasswordMode::Required;
            if (!settings::SaveSecurityOptions(settings)) {
                platform::ShowError(SaveFailed);
            }
        }
        return;
    }
    db::TUserList users(settings);
    users.LoadUsers();
    const int index = users.FindUserById(settings.UserId);
    if (index < 0) {
        return;
    }
    db::TUserRec account = users.Users()[static_cast<std::size_t>(index)];
    const auto password = AskNewPassword(account.Password, parent);
    const auto hash = password ? Hashed(*password) : std::nullopt;
    if (!hash) {
        return;
    }
    account.Password = *hash;
    users.ChangeUser(index, account);
    if (!users.SaveUsers()) {
        platform::ShowError(SaveFailed);
        return;
    }
    platform::ShowInformation("New Password accepted!");
}

} // namespace shelfwise::book
