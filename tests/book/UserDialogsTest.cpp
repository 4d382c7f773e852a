#include "book/LoginDlg.h"
#include "book/PasswordDlg.h"
#include "book/UserDlgs.h"
#include "db/Passwords.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/FileBytes.h"
#include "settings/SettingsFiles.h"
#include "support/TestFiles.h"

#include <QButtonGroup>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <deque>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace shelfwise::book {
namespace {

namespace fs = std::filesystem;
using settings::opt::PasswordMode;
using settings::opt::UserCount;

class UserDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        s.ProgramDir = s.DataRoot = root;
        settings::SetPublicDir(s);
        s.PasswordMode = PasswordMode::Required;
        s.UserCount = UserCount::MultiUser;
        platform::SetMessageHook([this](const platform::Message& m) {
            messages.push_back(m.text);
            return answers.empty() ? platform::DefaultAnswer(m.buttons) : Next(answers);
        });
        platform::SetDialogHook([this](QDialog& dialog) { return Answer(dialog); });
    }
    void TearDown() override {
        platform::SetDialogHook(nullptr);
        platform::SetMessageHook(nullptr);
    }
    template <typename T> static T Next(std::deque<T>& queue) {
        T value = queue.front();
        queue.pop_front();
        return value;
    }

    // Password dialogs take the queued texts ("" cancels); the user dialog its queued values;
    // the typed confirmation its queued answer.
    int Answer(QDialog& dialog) {
        if (auto* password = dynamic_cast<TPasswordDlg*>(&dialog)) {
            labels.push_back(password->Label()->text().toStdString());
            const std::string text = typed.empty() ? "" : Next(typed);
            if (text.empty()) {
                return QDialog::Rejected;
            }
            password->PasswordEdit()->setText(QString::fromStdString(text == "-" ? "" : text));
            return QDialog::Accepted;
        }
        if (auto* user = dynamic_cast<TUserDlg*>(&dialog)) {
            user->NameEdit()->setText(QString::fromStdString(Next(typed)));
            user->UserIdEdit()->setText(QString::fromStdString(Next(typed)));
            user->PasswordEdit()->setText(QString::fromStdString(Next(typed)));
            user->accept();
            return user->result();
        }
        if (auto* input = dynamic_cast<QInputDialog*>(&dialog)) {
            input->setTextValue(QString::fromStdString(Next(typed)));
            return QDialog::Accepted;
        }
        if (auto* login = dynamic_cast<TLoginDlg*>(&dialog)) {
            loginCaption = login->windowTitle().toStdString();
            loginUserId = login->UserIdEdit()->text().toStdString();
            login->PasswordEdit()->setText(QString::fromStdString(Next(typed)));
            return QDialog::Accepted;
        }
        return QDialog::Rejected;
    }

    void WriteUsers(const std::vector<db::TUserRec>& users) {
        ASSERT_TRUE(settings::ReplaceFile(root / db::UsersFileName, db::UsersBytes(users)));
    }
    std::vector<db::TUserRec> StoredUsers() {
        bool complete = false;
        return db::ParseUsers(settings::ReadFileBytes(root / db::UsersFileName).value(), complete);
    }

    shelfwise::test::TemporaryDirectory scratch{"sw-users"};
    fs::path root = scratch.Path();
    settings::Settings s;
    std::deque<std::string> typed;
    std::deque<platform::MessageAnswer> answers;
    std::vector<std::string> messages;
    std::vector<std::string> labels;
    std::string loginCaption;
    std::string loginUserId;
};

db::TUserRec Account(std::uint16_t number, std::string id, std::string password) {
    return {number, "User " + id, id, std::move(password), db::DataDirectoryName(number), 0, 0};
}

TEST_F(UserDialogsTest, ChangePasswordFlows) {
    struct Case {
        const char* stored;
        std::deque<std::string> typed;
        std::vector<std::string> messages;
        const char* password; // what the stored entry then matches
    };
    const Case cases[] = {
        {"old", {"bad"}, {"Wrong Password!"}, "old"},
        {"old", {"old", "new", "other"}, {"Reentered Password is different!"}, "old"},
        {"old", {"old", "new"}, {}, "old"},
        {"old", {"old", "new", "new"}, {"New Password accepted!"}, "new"},
        {"", {"new", "new"}, {"New Password accepted!"}, "new"},
        {"old", {"old", "-", "-"}, {"New Password accepted!"}, ""},
    };
    s.IsSupervisor = false;
    s.UserId = "ann";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " -> " + c.password);
        WriteUsers({Account(1, "bob", "b"), Account(2, "ann", c.stored)});
        typed = c.typed;
        messages.clear();
        ChangePassword(s);
        EXPECT_EQ(messages, c.messages);
        const auto stored = StoredUsers();
        ASSERT_EQ(stored.size(), 2u);
        EXPECT_TRUE(db::PasswordMatches(stored[1].Password, c.password));
        EXPECT_EQ(stored[0], Account(1, "bob", "b"));
    }
    WriteUsers({Account(2, "ann", "old")});
    labels.clear();
    typed = {"old", "x", "x"};
    ChangePassword(s);
    EXPECT_EQ(labels, (std::vector<std::string>{"Enter Your Old Password:", "Enter New Password:",
                                                "Reenter New Password:"}));
}

TEST_F(UserDialogsTest, TheSupervisorsNewPasswordIsWrittenAtOnce) {
    s.PasswordMode = PasswordMode::NotRequired;
    s.SupervisorPassword = "root";
    ASSERT_TRUE(settings::WriteSecurityOptions(s));
    settings::ReadSecurityOptions(s);
    typed = {"root", "new", "new"};
    answers = {platform::MessageAnswer::Ok, platform::MessageAnswer::Yes};

    ChangePassword(s);

    EXPECT_EQ(messages, (std::vector<std::string>{"New Password accepted!",
                                                  "Do you want to activate the Password System "
                                                  "next time you start the program?"}));
    settings::Settings reread;
    reread.ProgramDir = root;
    settings::ReadSecurityOptions(reread);
    EXPECT_TRUE(db::PasswordMatches(reread.SupervisorPassword, "new"));
    EXPECT_NE(reread.SupervisorPassword, "new");
    EXPECT_EQ(reread.PasswordMode, PasswordMode::Required);
}

TEST_F(UserDialogsTest, TheSecurityCheckAsksForTheSessionsOwnPassword) {
    WriteUsers({Account(1, "ann", db::HashPassword("pw"))});
    s.SupervisorPassword = db::HashPassword("root");
    s.IsSupervisor = false;
    s.UserId = "ann";
    s.DatabaseDir = root / "data0001";
    const settings::Settings before = s;
    for (const auto& [password, passes] :
         std::vector<std::pair<std::string, bool>>{{"pw", true}, {"root", false}, {"x", false}}) {
        typed = {password};
        EXPECT_EQ(SecurityCheck(s), passes) << password;
        EXPECT_EQ(loginCaption, "Security Check");
        EXPECT_EQ(loginUserId, "ann");
    }
    EXPECT_EQ(s.DatabaseDir, before.DatabaseDir);
    EXPECT_EQ(s.UserId, before.UserId);
    // A read-only user on the public database is refused without being asked.
    s.UserAccess = settings::opt::UserAccess::ReadOnly;
    s.DatabaseDir = s.PublicDir;
    loginCaption.clear();
    EXPECT_FALSE(SecurityCheck(s));
    EXPECT_TRUE(loginCaption.empty());
}

TEST_F(UserDialogsTest, AccountsAreAddedAndDeletedWithTheirDirectories) {
    s.IsSupervisor = true;
    WriteUsers({Account(1, "ann", "")});
    fs::create_directories(root / "data0001" / "BACKUP");
    fs::create_directories(root / "data0001" / "html");
    std::ofstream(root / "data0001" / "html" / "x.htm") << "x";
    {
        TUserLstDlg dialog(s);
        ASSERT_EQ(dialog.UserList()->count(), 1);
        typed = {"Zed", "zed", "zz"};
        dialog.findChild<QPushButton*>(QStringLiteral("NewBtn"))->click();
        EXPECT_TRUE(fs::is_directory(root / "data0002" / "BACKUP"));
        // A second account with the same user ID is not taken.
        typed = {"Other", "zed", ""};
        dialog.findChild<QPushButton*>(QStringLiteral("NewBtn"))->click();
        EXPECT_EQ(messages.back(), "This User ID is already in use!");
        EXPECT_EQ(dialog.UserList()->count(), 2);

        dialog.UserList()->setCurrentRow(0); // "User ann"
        answers = {platform::MessageAnswer::Yes};
        typed = {"YES"};
        dialog.findChild<QPushButton*>(QStringLiteral("DeleteBtn"))->click();
        EXPECT_FALSE(fs::exists(root / "data0001"));
        EXPECT_EQ(dialog.UserList()->count(), 1);
    }
    const auto stored = StoredUsers();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].UserId, "zed");
    EXPECT_TRUE(db::PasswordMatches(stored[0].Password, "zz"));
    EXPECT_TRUE(fs::exists(root / db::UsersFileName));
}

TEST_F(UserDialogsTest, DeletingAnAccountWithAForeignDirectoryRemovesNothingElse) {
    s.IsSupervisor = true;
    fs::create_directories(root / "DATA" / "keep");
    for (const char* directory : {"", "..", "DATA", "../DATA"}) {
        db::TUserRec account = Account(1, "ann", "");
        account.DataDirectory = directory;
        WriteUsers({account});
        TUserLstDlg dialog(s);
        answers = {platform::MessageAnswer::Yes};
        typed = {"YES"};
        dialog.findChild<QPushButton*>(QStringLiteral("DeleteBtn"))->click();
        EXPECT_EQ(dialog.UserList()->count(), 0);
        EXPECT_TRUE(fs::exists(root / "DATA" / "keep")) << directory;
    }
}

} // namespace
} // namespace shelfwise::book
