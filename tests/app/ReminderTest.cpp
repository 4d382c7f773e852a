#include "app/ReminderDlg.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/MaintenanceReminder.h"
#include "settings/SettingsFiles.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace shelfwise;
namespace fs = std::filesystem;

namespace {

using namespace std::chrono;

const settings::LocalTime Now = local_days{2026y / December / 11d} + hours{17};

enum class Press { GoTo, Close, Escape, Enter };

class ReminderTest : public ::testing::Test {
protected:
    ReminderTest() {
        s.ProgramDir = s.DataRoot = scratch.Path();
        settings::SetPublicDir(s);
        fs::create_directories(s.DatabaseDir);
        s.DataDir = s.DatabaseDir;
        platform::SetMessageHook([](const platform::Message& m) {
            ADD_FAILURE() << m.text;
            return platform::DefaultAnswer(m.buttons);
        });
    }
    ~ReminderTest() override {
        platform::SetDialogHook(nullptr);
        platform::SetMessageHook(nullptr);
        platform::SetHelpHook(nullptr);
    }

    // The check at close time, with the dialog answered as a user would.
    bool Check(Press press, bool doNotDisplay) {
        platform::SetDialogHook([this, press, doNotDisplay](QDialog& dialog) {
            auto& reminder = dynamic_cast<app::TReminderDlg&>(dialog);
            shown.push_back(dialog.objectName().toStdString());
            goToEnabled = reminder.GoToButton()->isEnabled();
            reminder.DoNotDisplay()->setChecked(doNotDisplay);
            switch (press) {
            case Press::GoTo:
                reminder.GoToButton()->click();
                break;
            case Press::Close:
                reminder.CloseButton()->click();
                break;
            case Press::Escape:
                reminder.reject();
                break;
            case Press::Enter:
                // Enter presses the default button.
                (reminder.GoToButton()->isDefault() ? reminder.GoToButton()
                                                    : reminder.CloseButton())
                    ->click();
                reminder.accept();
                break;
            }
            return dialog.result();
        });
        return app::ReminderCheck(s, Now);
    }

    test::TemporaryDirectory scratch{"sw-remind"};
    settings::Settings s;
    std::vector<std::string> shown;
    bool goToEnabled = false;
};

TEST_F(ReminderTest, TheDialogAsDesigned) {
    app::TReminderDlg dialog(true);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Reminder"));
    EXPECT_EQ(
        dialog.Memo()->toPlainText().split(u'\n'),
        (QStringList{"Protect your Data!", "", "We recommend that you BACKUP, REINDEX ",
                     "and PACK your database at least twice a month ",
                     "and every time you enter new data.", "",
                     "If you want to do it now, just click on GoTo ", "Maintenance button."}));
    EXPECT_TRUE(dialog.Memo()->isReadOnly());
    EXPECT_EQ(dialog.Memo()->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_TRUE(dialog.font().bold());
    const struct {
        QPushButton* button;
        const char* caption;
        const char* hint;
    } buttons[] = {
        {dialog.GoToButton(), "&GoTo Maintenance", "Backup or Pack your database Now"},
        {dialog.CloseButton(), "&Close", "Close Reminder Window"},
        {dialog.findChild<QPushButton*>(QStringLiteral("HelpBtn")), "&Help",
         "Display Help On Database Maintenance"},
    };
    for (const auto& b : buttons) {
        ASSERT_NE(b.button, nullptr) << b.caption;
        EXPECT_EQ(b.button->text(), QString::fromLatin1(b.caption));
        EXPECT_EQ(b.button->toolTip(), QString::fromLatin1(b.hint));
    }
    EXPECT_TRUE(dialog.GoToButton()->isDefault());
    EXPECT_EQ(dialog.DoNotDisplay()->text(), QStringLiteral("Do Not Display"));
    EXPECT_FALSE(dialog.DoNotDisplay()->isChecked());
    EXPECT_EQ(
        dialog.findChild<QLabel*>(QStringLiteral("NoteLabel"))->text(),
        QStringLiteral("Check this box if you do not want to see this Reminder Window anymore."));

    int helpContext = 0;
    platform::SetHelpHook([&helpContext](int context) { helpContext = context; });
    buttons[2].button->click();
    EXPECT_EQ(helpContext, 28);
    EXPECT_EQ(dialog.result(), 0);
}

TEST_F(ReminderTest, TheAnswersAndTheCheckBox) {
    const struct {
        const char* name;
        Press press;
        bool doNotDisplay;
        bool goToMaintenance;
    } cases[] = {
        {"go to maintenance", Press::GoTo, false, true},
        {"close", Press::Close, false, false},
        {"escape", Press::Escape, false, false},
        {"go to maintenance, not again", Press::GoTo, true, true},
        {"close, not again", Press::Close, true, false},
        {"escape, not again", Press::Escape, true, false},
    };
    const settings::Settings initial = s;
    for (const auto& c : cases) {
        s = initial;
        fs::remove(s.DataDir / settings::OptionsFileName);
        shown.clear();
        EXPECT_EQ(Check(c.press, c.doNotDisplay), c.goToMaintenance) << c.name;
        EXPECT_EQ(shown, std::vector<std::string>{"ReminderDlg"}) << c.name;
        EXPECT_EQ(s.ShowReminders, !c.doNotDisplay) << c.name;
        // Switching reminders off is stored at once.
        settings::Settings stored = s;
        stored.ShowReminders = true;
        settings::ReadUiOptions(stored);
        EXPECT_EQ(stored.ShowReminders, !c.doNotDisplay) << c.name;
        EXPECT_EQ(fs::exists(s.DataDir / settings::OptionsFileName), c.doNotDisplay) << c.name;
    }
}

TEST_F(ReminderTest, NothingIsShownWhenNoReminderIsDue) {
    s.Reminders = {};
    Check(Press::Close, false);
    const settings::ReminderDates afterFirst = s.Reminders;
    shown.clear();
    EXPECT_FALSE(Check(Press::GoTo, false));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(s.Reminders, afterFirst);
}

TEST_F(ReminderTest, OnlyAUserWhoMayUseMaintenanceCanGoThere) {
    using settings::opt::UserAccess;
    const fs::path own = scratch / "data0001";
    fs::create_directories(own);
    const struct {
        const char* name;
        bool supervisor;
        UserAccess access;
        bool ownDatabase;
        bool allowed;
    } cases[] = {
        {"supervisor", true, UserAccess::ReadWrite, false, true},
        {"user in his own database", false, UserAccess::ReadWrite, true, true},
        {"read-only user in his own database", false, UserAccess::ReadOnly, true, true},
        {"user in the public database", false, UserAccess::ReadWrite, false, false},
        {"read-only user in the public database", false, UserAccess::ReadOnly, false, false},
    };
    for (const auto& c : cases) {
        for (const Press press : {Press::GoTo, Press::Enter}) {
            s.Reminders = {};
            s.IsSupervisor = c.supervisor;
            s.UserAccess = c.access;
            s.DatabaseDir = c.ownDatabase ? own : s.PublicDir;
            EXPECT_EQ(Check(press, false), c.allowed) << c.name;
            EXPECT_EQ(goToEnabled, c.allowed) << c.name;
        }
    }
}

} // namespace
