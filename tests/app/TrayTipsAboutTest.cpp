#include "app/AboutBox.h"
#include "app/HintsDlg.h"
#include "app/TrayForm.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace shelfwise;
namespace fs = std::filesystem;

namespace {

class FrameTest : public ::testing::Test {
protected:
    FrameTest() {
        s.ProgramDir = s.DataRoot = s.DataDir = s.DatabaseDir = scratch.Path();
        platform::SetMessageHook([this](const platform::Message& m) {
            messages.push_back(m.text);
            return platform::DefaultAnswer(m.buttons);
        });
    }
    ~FrameTest() override { platform::SetMessageHook(nullptr); }

    test::TemporaryDirectory scratch{"sw-frame"};
    settings::Settings s;
    std::vector<std::string> messages;
};

// The tray icon's logic, with the book window as a plain window.
class TrayTest : public FrameTest {
protected:
    TrayTest() {
        s.ShowTrayIcon = true;
        book.resize(200, 100);
        book.show();
    }
    // The menu as it would pop up: each item's caption (or "-" when disabled).
    std::vector<std::string> MenuNow(app::TTrayForm& tray) {
        tray.FillMenu();
        std::vector<std::string> shown;
        for (QAction* item : tray.Menu()->actions()) {
            shown.push_back(item->isEnabled() ? item->text().toStdString() : "-");
        }
        return shown;
    }
    QWidget book;
};

using Menu = std::vector<std::string>;

TEST_F(TrayTest, StartingHiddenShowsNoWindowUntilTheIconIsClicked) {
    s.StartHidden = true;
    app::TTrayForm tray(s, true);
    EXPECT_TRUE(tray.Active());
    EXPECT_TRUE(tray.HideOnStartup());
    tray.SetBookWindow(&book);
    EXPECT_FALSE(book.isVisible());
    EXPECT_EQ(MenuNow(tray), (Menu{"Show Shelfwise", "Terminate Shelfwise", "Hide On Startup"}));
    EXPECT_TRUE(tray.HideOnStartupItem()->isChecked());

    tray.Click();
    EXPECT_TRUE(book.isVisible());
    // Shown again as it was, without its first-show steps.
    EXPECT_EQ(book.property("tag").toInt(), 1000);
    EXPECT_FALSE(tray.HiddenByTray());
}

TEST_F(TrayTest, WithoutANotificationAreaTheIconStaysOffAndNothingStartsHidden) {
    s.StartHidden = true;
    app::TTrayForm tray(s, false);
    tray.SetBookWindow(&book);
    EXPECT_FALSE(tray.Active());
    EXPECT_FALSE(tray.HideOnStartup());
    EXPECT_TRUE(book.isVisible());
    s.ShowTrayIcon = true;
    tray.ShowTrayIconChanged();
    EXPECT_FALSE(tray.Active());
}

TEST_F(TrayTest, TheMenuFollowsTheWindowInFront) {
    app::TTrayForm tray(s, true);
    tray.SetBookWindow(&book);
    int terminated = 0;
    tray.Terminate = [&terminated] { ++terminated; };
    EXPECT_EQ(MenuNow(tray), (Menu{"Hide Shelfwise", "Terminate Shelfwise", "Hide On Startup"}));
    tray.TerminateItem()->trigger();
    EXPECT_EQ(terminated, 1);

    tray.ShowItem()->trigger();
    EXPECT_FALSE(book.isVisible());
    EXPECT_TRUE(tray.HiddenByTray());
    EXPECT_EQ(MenuNow(tray), (Menu{"Show Shelfwise", "Terminate Shelfwise", "Hide On Startup"}));
    tray.ShowItem()->trigger();
    EXPECT_TRUE(book.isVisible());

    // Hidden by something else than the tray: nothing to offer.
    book.hide();
    EXPECT_EQ(MenuNow(tray), (Menu{"-", "-", "-"}));
    tray.MarkHiddenByClose();
    EXPECT_EQ(MenuNow(tray), (Menu{"Show Shelfwise", "Terminate Shelfwise", "Hide On Startup"}));
}

TEST_F(TrayTest, HidingAModalDialogMinimisesItSoItKeepsRunning) {
    app::TTrayForm tray(s, true);
    tray.SetBookWindow(&book);
    QDialog dialog(&book);
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(tray.FrontWindow(), &dialog);
    EXPECT_EQ(MenuNow(tray), (Menu{"Hide Shelfwise", "-", "Hide On Startup"}));

    tray.ShowItem()->trigger();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.isMinimized());
    EXPECT_TRUE(book.isMinimized());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(MenuNow(tray).front(), "Show Shelfwise");

    tray.ShowItem()->trigger();
    EXPECT_FALSE(dialog.isMinimized());
    EXPECT_FALSE(book.isMinimized());
    EXPECT_TRUE(dialog.isVisible());
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(TrayTest, ShowSettlesTheRecordOfAHiddenBookWindowBeforeItComesBack) {
    app::TTrayForm tray(s, true);
    std::vector<bool> settledWhileVisible;
    tray.SetBookWindow(&book, [&] { settledWhileVisible.push_back(book.isVisible()); });

    // Hidden through the tray, and hidden by a close or a minimise: each comes back settled.
    tray.ShowItem()->trigger();
    tray.ShowItem()->trigger();
    book.hide();
    tray.MarkHiddenByClose();
    tray.Click();
    EXPECT_EQ(settledWhileVisible, (std::vector<bool>{false, false}));
    EXPECT_TRUE(book.isVisible());

    // Under a dialog the book window was only minimised; the dialog is in charge of the record.
    QDialog dialog(&book);
    dialog.setModal(true);
    dialog.show();
    tray.ShowItem()->trigger();
    tray.ShowItem()->trigger();
    EXPECT_EQ(settledWhileVisible.size(), 2u);
    dialog.reject();
}

TEST_F(TrayTest, TheWindowLastActiveGoesWithTheBookWindowAndIsActiveAgainAfter) {
    app::TTrayForm tray(s, true);
    tray.SetBookWindow(&book);
    QWidget other;
    other.resize(100, 50);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    tray.ShowItem()->trigger();
    EXPECT_FALSE(book.isVisible());
    EXPECT_FALSE(other.isVisible());

    tray.ShowItem()->trigger();
    EXPECT_TRUE(book.isVisible());
    EXPECT_TRUE(other.isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&other));

    // The book window itself active: nothing else goes or comes.
    other.hide();
    book.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&book));
    tray.ShowItem()->trigger();
    tray.ShowItem()->trigger();
    EXPECT_TRUE(book.isVisible());
    EXPECT_FALSE(other.isVisible());
}

TEST_F(TrayTest, HideOnStartupIsStoredAtOnce) {
    app::TTrayForm tray(s, true);
    for (const bool expected : {true, false}) {
        tray.HideOnStartupItem()->trigger();
        EXPECT_EQ(tray.HideOnStartup(), expected);
        settings::Settings next = s;
        next.StartHidden = !expected;
        settings::ReadUiOptions(next);
        EXPECT_EQ(next.StartHidden, expected);
    }
}

TEST_F(TrayTest, SwitchingTheIconOffForgetsHideOnStartup) {
    s.StartHidden = true;
    app::TTrayForm tray(s, true);
    s.ShowTrayIcon = false;
    tray.ShowTrayIconChanged();
    EXPECT_FALSE(tray.Active());
    EXPECT_FALSE(tray.HideOnStartup());
    s.ShowTrayIcon = true;
    tray.ShowTrayIconChanged();
    EXPECT_TRUE(tray.Active());
}

TEST(TrayToolTip, IsCutTo62Characters) {
    const QString seventy(70, QLatin1Char('x'));
    EXPECT_EQ(app::TTrayForm::CutToolTip(seventy), QString(62, QLatin1Char('x')));
    EXPECT_EQ(app::TTrayForm::CutToolTip(QStringLiteral("Shelfwise")), QStringLiteral("Shelfwise"));
}

class TipsTest : public FrameTest {
protected:
    void WriteTips(std::string_view firstLine) {
        std::string text = std::string(firstLine) + "\r\n";
        for (int k = 1; k <= 5; ++k) {
            text += "[" + std::to_string(k) + "]\r\nTip " + std::to_string(k) +
                    " line one\r\nline two\r\n";
        }
        test::WriteText(s.ProgramDir / app::HintsFileName, text);
    }
};

TEST_F(TipsTest, TheFirstTipIsNeverTheLastAndNextReachesIt) {
    WriteTips("5");
    std::vector<int> seen(6, 0);
    for (int run = 0; run < 200; ++run) {
        app::THintsDlg tips(s);
        ASSERT_GE(tips.Current(), 1);
        ASSERT_LE(tips.Current(), 4);
        ++seen[std::size_t(tips.Current())];
    }
    EXPECT_EQ(seen[5], 0);
    EXPECT_GT(seen[1] * seen[4], 0) << "the first tip is not random";

    app::THintsDlg tips(s, nullptr, [](int) { return 1; });
    EXPECT_EQ(tips.Memo()->toPlainText(), QStringLiteral("Tip 1 line one\nline two"));
    EXPECT_FALSE(tips.PreviousButton()->isEnabled());
    for (int k = 2; k <= 5; ++k) {
        ASSERT_TRUE(tips.NextButton()->isEnabled());
        tips.NextButton()->click();
        EXPECT_EQ(tips.Current(), k);
    }
    EXPECT_EQ(tips.Memo()->toPlainText(), QStringLiteral("Tip 5 line one\nline two"));
    EXPECT_FALSE(tips.NextButton()->isEnabled());
    tips.PreviousButton()->click();
    EXPECT_EQ(tips.Current(), 4);
    EXPECT_TRUE(messages.empty());
}

TEST_F(TipsTest, AMissingOrUnreadableFileLeavesTheDialogEmpty) {
    {
        app::THintsDlg tips(s);
        EXPECT_EQ(messages, std::vector<std::string>{"Cannot open the Hints file."});
        EXPECT_EQ(tips.Count(), 0);
    }
    messages.clear();
    WriteTips("x");
    app::THintsDlg tips(s);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(tips.Count(), 0);
    EXPECT_TRUE(tips.Memo()->toPlainText().isEmpty());
    EXPECT_FALSE(tips.NextButton()->isEnabled());
}

TEST_F(TipsTest, OneTipIsShownFirstAndTheCheckBoxDecidesShowTips) {
    WriteTips("1");
    s.ShowTips = true;
    app::THintsDlg tips(s);
    EXPECT_EQ(tips.Current(), 1);
    EXPECT_FALSE(tips.NextButton()->isEnabled());
    tips.DoNotDisplay()->setChecked(true);
    tips.reject();
    EXPECT_FALSE(s.ShowTips);
    settings::Settings next = s;
    next.ShowTips = true;
    settings::ReadUiOptions(next);
    EXPECT_FALSE(next.ShowTips);
}

TEST(AboutBox, ShowsNameAndVersionAndGrowsItsPictureAsTheSplashDoesNot) {
    app::TAboutBox splash(app::TAboutBox::Use::Splash);
    splash.show();
    EXPECT_EQ(splash.windowTitle(), QStringLiteral("Welcome"));
    EXPECT_TRUE(splash.OkButton()->isHidden());
    EXPECT_FALSE(splash.Timer()->isActive());
    const QSize full = splash.PictureSize();
    EXPECT_GT(full.width(), 8);

    app::TAboutBox about(app::TAboutBox::Use::About);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(about.ProductName()->text(), QStringLiteral("Quorvan Shelfwise"));
    EXPECT_EQ(about.Version()->text(), QStringLiteral("Version 3.0 (32-bit)"));
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    about.show();
    EXPECT_EQ(about.PictureSize(), QSize(1, 1));
    EXPECT_TRUE(about.Timer()->isActive());
    EXPECT_EQ(about.Timer()->interval(), 20);
    for (int tick = 1; tick < full.width() - 1; ++tick) {
        about.Tick();
        ASSERT_EQ(about.PictureSize(), QSize(tick + 1, tick + 1));
        ASSERT_TRUE(about.Timer()->isActive());
    }
    about.Tick();
    EXPECT_EQ(about.PictureSize(), full);
    EXPECT_FALSE(about.Timer()->isActive());
}

} // namespace
