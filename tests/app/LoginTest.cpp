#include "app/InterimWindows.h"
#include "app/Program.h"
#include "book/LoginDlg.h"
#include "book/PasswordDlg.h"
#include "db/Passwords.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"
#include "support/ChildProgram.h"
#include "support/ProgramDirectory.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>

using namespace shelfwise;
namespace fs = std::filesystem;

namespace {

constexpr const char* ChildProgramDir = "SW_LOGIN_PROGRAM_DIR";

// The real windows; once the book window is up, `whenShown` runs and then the window closes.
class ScriptedWindows : public app::InterimWindows {
public:
    std::function<void(QWidget*)> whenShown;

    std::unique_ptr<app::BookWindowHandle>
    CreateBookWindow(settings::Settings& s, settings::TemplateCatalogues& templates) override {
        auto window = InterimWindows::CreateBookWindow(s, templates);
        QWidget* widget = window->Widget();
        QTimer::singleShot(50, widget, [this, widget] {
            whenShown(widget);
            widget->close();
        });
        return window;
    }
};

// Answers the login with `password` and the password dialogs from a queue.
void AnswerDialogs(const std::string& password, std::deque<std::string>& typed) {
    platform::SetDialogHook([password, &typed](QDialog& dialog) {
        if (auto* login = dynamic_cast<book::TLoginDlg*>(&dialog)) {
            login->PasswordEdit()->setText(QString::fromStdString(password));
            return int(QDialog::Accepted);
        }
        if (auto* change = dynamic_cast<book::TPasswordDlg*>(&dialog); change && !typed.empty()) {
            change->PasswordEdit()->setText(QString::fromStdString(typed.front()));
            typed.pop_front();
            return int(QDialog::Accepted);
        }
        return int(QDialog::Rejected);
    });
    platform::SetMessageHook(
        [](const platform::Message& m) { return platform::DefaultAnswer(m.buttons); });
}

// The second program: logs in as the supervisor, keeps running until told to end.
TEST(ChildProgram, LogsInAndRunsUntilReleased) {
    const char* dir = std::getenv(ChildProgramDir);
    if (dir == nullptr) {
        GTEST_SKIP() << "runs only as the second program of the login test";
    }
    std::deque<std::string> none;
    AnswerDialogs("old", none);
    ScriptedWindows windows;
    windows.whenShown = [dir](QWidget*) {
        shelfwise::test::WriteText(fs::path(dir) / "holding", "");
        EXPECT_TRUE(shelfwise::test::WaitForFile(fs::path(dir) / "release"));
    };
    app::Program program(dir, windows);
    EXPECT_EQ(program.Run(), 0);
}

TEST(LoginTest, APasswordChangeIsNotRevertedByAnotherProgramEndingLater) {
    const shelfwise::test::TemporaryDirectory scratch("sw-login");
    const fs::path& programDir = scratch.Path();
    shelfwise::test::CopyTemplateTables(programDir);
    settings::Settings secured;
    secured.ProgramDir = secured.DataRoot = programDir;
    secured.PasswordMode = settings::opt::PasswordMode::Required;
    secured.SupervisorPassword = "old";
    ASSERT_TRUE(settings::WriteSecurityOptions(secured));

    QProcess second;
    ASSERT_TRUE(shelfwise::test::StartChildProgram(second, ChildProgramDir, programDir,
                                                   "LogsInAndRunsUntilReleased"));
    ASSERT_TRUE(shelfwise::test::WaitForFile(programDir / "holding"));

    // The first program changes the password through the book window's command and ends.
    std::deque<std::string> typed{"old", "new", "new"};
    AnswerDialogs("old", typed);
    ScriptedWindows windows;
    windows.whenShown = [](QWidget* window) {
        window->findChild<QToolButton*>(QStringLiteral("B_Password"))->click();
    };
    {
        app::Program program(programDir, windows);
        EXPECT_EQ(program.Run(), 0);
    }
    EXPECT_TRUE(typed.empty());

    shelfwise::test::WriteText(programDir / "release", "");
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardOutput().toStdString();

    settings::Settings reread;
    reread.ProgramDir = programDir;
    settings::ReadSecurityOptions(reread);
    EXPECT_TRUE(db::PasswordMatches(reread.SupervisorPassword, "new"));
    EXPECT_FALSE(db::PasswordMatches(reread.SupervisorPassword, "old"));
    platform::SetDialogHook(nullptr);
    platform::SetMessageHook(nullptr);
}

} // namespace
