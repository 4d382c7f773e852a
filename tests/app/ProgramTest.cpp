#include "app/Program.h"

#include "app/AboutBox.h"
#include "app/HintsDlg.h"
#include "app/InterimWindows.h"
#include "app/TrayForm.h"
#include "book/BookWindow.h"
#include "book/LogForm.h"
#include "book/ReplaceCommands.h"
#include "db/MaintenanceLog.h"
#include "db/RecordSchema.h"
#include "engine/Table.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "search/ReplaceDlg.h"
#include "settings/FileBytes.h"
#include "settings/SettingsFiles.h"
#include "support/ProgramDirectory.h"
#include "support/TestFiles.h"

#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace shelfwise;
namespace fs = std::filesystem;

namespace {

// The book window whose record check can be made to refuse, as when the user still has to
// correct a value.
class RefusableBookWindow : public app::BookWindowHandle {
public:
    RefusableBookWindow(std::unique_ptr<app::BookWindowHandle> window, const bool& refuse)
        : window_(std::move(window)), refuse_(refuse) {}
    QWidget* Widget() override { return window_->Widget(); }
    bool RecordCheck() override { return !refuse_ && window_->RecordCheck(); }
    void SetCloseHandler(std::function<void()> handler) override {
        window_->SetCloseHandler(std::move(handler));
    }

private:
    std::unique_ptr<app::BookWindowHandle> window_;
    const bool& refuse_;
};

// The real start-up with the windows that exist, watched: the book window is closed (or the
// process is sent SIGTERM) once the loop runs, and the state of the files is noted when the
// maintenance log window goes, which is the first window destroyed.
class WatchedWindows : public app::InterimWindows {
public:
    app::LoginResult loginResult = app::LoginResult::Accepted;
    int loginsAsked = 0;
    bool sendTerm = false;
    // Set: runs once the loop runs, in place of closing the book window.
    std::function<void(book::TBookWindow&)> duringLoop;
    int signalNumber = SIGTERM;
    bool signalDuringStartUp = false;
    bool remindWrittenBeforeWindowsGo = false;
    std::string shutMarkerBeforeWindowsGo;
    bool uiOptionsBeforeWindowsGo = true;
    std::size_t logEntriesBeforeWindowsGo = 0;
    fs::path dataDir;
    settings::Settings seenByBookWindow;
    bool headerTemplateSaved = false;
    // Set: once the loop runs, the desktop session ends twice, first with the record check
    // refusing, and what each end reported is noted.
    app::Program* sessionEndOf = nullptr;
    bool refuseRecordCheck = false;
    std::vector<bool> sessionEndsClosed;
    // Set: runs with the book window once the loop runs, in place of closing it.
    std::function<void(QWidget*)> whenRunning;
    // A notification area, which the offscreen desktop does not have.
    bool trayAvailable = false;

    // The windows' steps of start-up and shutdown in their order; "book (splash up)" when the
    // splash was still shown while the book window was made.
    std::vector<std::string> steps;

    void ShowSplash() override {
        steps.push_back("splash");
        InterimWindows::ShowSplash();
    }
    void CloseSplash() override {
        steps.push_back("splash closed");
        InterimWindows::CloseSplash();
    }
    void CreateTrayWindow(settings::Settings& s, std::function<void()> terminate) override {
        steps.push_back("tray");
        InterimWindows::CreateTrayWindow(s, std::move(terminate));
    }
    void DestroyTrayWindow() override {
        steps.push_back("tray gone");
        InterimWindows::DestroyTrayWindow();
    }
    void CreateMaintenanceLog(settings::Settings& s) override {
        steps.push_back("log");
        InterimWindows::CreateMaintenanceLog(s);
    }
    void ShowTips(settings::Settings& s) override {
        steps.push_back("tips");
        InterimWindows::ShowTips(s);
    }
    app::LoginResult RunLogin(settings::Settings&) override {
        steps.push_back("login");
        ++loginsAsked;
        return loginResult;
    }
    std::unique_ptr<app::BookWindowHandle>
    CreateBookWindow(settings::Settings& s, settings::TemplateCatalogues& templates) override {
        dataDir = s.DataDir;
        seenByBookWindow = s;
        steps.push_back(Splash() != nullptr && Splash()->isVisible() ? "book (splash up)" : "book");
        if (sendTerm && signalDuringStartUp) {
            std::raise(signalNumber);
        }
        auto window = InterimWindows::CreateBookWindow(s, templates);
        // The list header saves its layout into the session's header catalogue.
        headerTemplateSaved = templates.Headers.AddTemplate("Wide columns");
        QWidget* widget = window->Widget();
        QTimer::singleShot(50, widget, [this, widget] {
            if (whenRunning) {
                whenRunning(widget);
            } else if (sessionEndOf != nullptr) {
                refuseRecordCheck = true;
                sessionEndsClosed.push_back(sessionEndOf->CloseForSessionEnd());
                sessionEndsClosed.push_back(!widget->isVisible());
                refuseRecordCheck = false;
                sessionEndsClosed.push_back(sessionEndOf->CloseForSessionEnd());
            } else if (duringLoop) {
                duringLoop(dynamic_cast<book::TBookWindow&>(*widget));
            } else if (sendTerm) {
                std::raise(signalNumber);
            } else {
                widget->close();
            }
        });
        return std::make_unique<RefusableBookWindow>(std::move(window), refuseRecordCheck);
    }
    bool TrayIconAvailable() override {
        return trayAvailable || InterimWindows::TrayIconAvailable();
    }
    void DestroyMaintenanceLog() override {
        steps.push_back("log gone");
        remindWrittenBeforeWindowsGo = fs::exists(dataDir / "remind.dat");
        shutMarkerBeforeWindowsGo = test::ReadText(dataDir / "shut.dat");
        uiOptionsBeforeWindowsGo = fs::exists(dataDir / "options.dat");
        logEntriesBeforeWindowsGo = MaintenanceLog()->Log().Entries().size();
        InterimWindows::DestroyMaintenanceLog();
    }
};

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The book window makes its database from the template tables of the program directory.
        test::CopyTemplateTables(programDir);
        platform::SetMessageHook([this](const platform::Message& m) {
            messages.push_back(m);
            return platform::DefaultAnswer(m.buttons);
        });
        test::WriteText(programDir / app::HintsFileName, "1\r\n[1]\r\nA tip.\r\n");
        // The start-up tips are noted and closed.
        platform::SetDialogHook([this](QDialog& dialog) {
            dialogs.push_back(dialog.objectName().toStdString());
            return int(QDialog::Rejected);
        });
    }
    void TearDown() override {
        platform::SetDialogHook(nullptr);
        platform::SetMessageHook(nullptr);
        platform::SetUnattended(false);
    }

    int run() {
        app::Program program(programDir, windows);
        return program.Run();
    }

    fs::path dataDir() const { return programDir / "DATA"; }

    test::TemporaryDirectory scratch{"sw-program"};
    fs::path programDir = scratch.Path();
    WatchedWindows windows;
    std::vector<platform::Message> messages;
    std::vector<std::string> dialogs;
};

} // namespace

TEST_F(ProgramTest, FirstRunCreatesTheDataDirectoriesAndSavesEverythingInOrder) {
    EXPECT_EQ(run(), 0);

    EXPECT_TRUE(fs::is_directory(dataDir()));
    EXPECT_TRUE(fs::is_directory(dataDir() / "BACKUP"));
    EXPECT_EQ(windows.loginsAsked, 0);
    EXPECT_TRUE(messages.empty()) << messages.front().text;

    // The options files are stored at start-up; after the loop the reminder dates go first and
    // the closed marker follows when the windows are destroyed.
    EXPECT_TRUE(windows.remindWrittenBeforeWindowsGo);
    EXPECT_TRUE(windows.uiOptionsBeforeWindowsGo);
    EXPECT_EQ(windows.shutMarkerBeforeWindowsGo, "#10*");

    EXPECT_TRUE(fs::exists(programDir / "options.dat"));
    EXPECT_TRUE(fs::exists(dataDir() / "options.dat"));
    EXPECT_EQ(test::ReadText(dataDir() / "shut.dat"), "@a$)");
    EXPECT_EQ(fs::file_size(dataDir() / "remind.dat"), 32u);
    for (const char* catalogue : {"filters.tml", "headers.tml", "labels.tml"}) {
        EXPECT_TRUE(fs::exists(dataDir() / catalogue)) << catalogue;
    }
}

TEST_F(ProgramTest, TheSplashIsUpFromTheStartUntilTheBookWindowIsMade) {
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(windows.steps,
              (std::vector<std::string>{"splash", "tray", "log", "book (splash up)",
                                        "splash closed", "tips", "log gone", "tray gone"}));
    EXPECT_EQ(windows.Splash(), nullptr);
    // A first run has never been reminded, so its close shows the reminder.
    EXPECT_EQ(dialogs, (std::vector<std::string>{"HintsDlg", "ReminderDlg"}));

    // A login comes after the splash; no tips when they are off.
    settings::Settings secured;
    secured.ProgramDir = secured.DataRoot = programDir;
    secured.PasswordMode = settings::opt::PasswordMode::Required;
    secured.SupervisorPassword = "pw";
    ASSERT_TRUE(settings::WriteSecurityOptions(secured));
    settings::Settings ui;
    ui.DataDir = ui.DatabaseDir = dataDir();
    ui.ShowTips = false;
    ASSERT_TRUE(settings::WriteUiOptions(ui));
    windows.steps.clear();
    dialogs.clear();
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(windows.steps,
              (std::vector<std::string>{"splash", "login", "tray", "log", "book (splash up)",
                                        "splash closed", "log gone", "tray gone"}));
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(ProgramTest, TheMaintenanceLogOfTheDataDirectoryLivesUntilTheEnd) {
    fs::create_directories(dataDir());
    const std::vector<db::TLogEntry> entries = {
        {"12/10/2026", "2:53:07 PM", "Software", "Database Packed."},
        {"12/10/2026", "2:54:11 PM", "Software", "Database Reindexed."}};
    ASSERT_TRUE(settings::ReplaceFile(dataDir() / db::LogFileName, db::LogBytes(entries)));
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(windows.logEntriesBeforeWindowsGo, entries.size());
    EXPECT_EQ(windows.MaintenanceLog(), nullptr);
    db::TMaintenanceLog stored(dataDir());
    EXPECT_EQ(stored.LoadLog(), db::TMaintenanceLog::LoadState::Loaded);
    EXPECT_EQ(stored.Entries(), entries);
}

TEST_F(ProgramTest, WindowCaptionsGetNoSuffixFromTheToolkit) {
    EXPECT_EQ(run(), 0);
    // Message boxes are captioned with the application title.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Shelfwise"));
    // No display name of its own (it follows the application name), so Qt appends nothing to
    // the window captions.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("probe"));
}

TEST_F(ProgramTest, TheBookWindowFindsTheSettingsOfTheDataDirectoryRead) {
    fs::create_directories(dataDir());
    test::WriteText(dataDir() / "labels.dat", "Title:\r\nMaker:\r\n");
    test::WriteText(dataDir() / "date.dat", "1\r\n3\r\n2\r\n");
    settings::Settings previous;
    previous.DataDir = dataDir();
    previous.Reminders.LastBackup = 36526.5;
    ASSERT_TRUE(settings::WriteReminderDates(previous));
    previous.SpeedBarLocation = settings::opt::SpeedBarLocation::Top;
    ASSERT_TRUE(settings::WriteUiOptions(previous));

    run();

    const settings::Settings& seen = windows.seenByBookWindow;
    EXPECT_EQ(seen.DataDir, dataDir());
    EXPECT_EQ(seen.FieldLabels, (std::vector<std::string>{"Title:", "Maker:"}));
    ASSERT_EQ(seen.DateFormats.Lines.size(), 3u);
    EXPECT_EQ(seen.DateFormats.Lines[1].Format, 3);
    EXPECT_EQ(seen.Reminders.LastBackup, 36526.5);
    EXPECT_EQ(seen.SpeedBarLocation, settings::opt::SpeedBarLocation::Top);
    EXPECT_TRUE(windows.headerTemplateSaved);
    EXPECT_TRUE(fs::exists(dataDir() / "tml1.hdr"));
    EXPECT_NE(test::ReadText(dataDir() / "headers.tml").find("Wide columns"), std::string::npos);
}

TEST_F(ProgramTest, AVanishedLastDatabaseFallsBackToThePublicOneAndIsForgotten) {
    fs::create_directories(dataDir() / "gone");
    settings::Settings previous;
    previous.DataDir = dataDir();
    previous.DatabaseDir = dataDir() / "gone";
    previous.DataFileName = "data_1.dbf";
    ASSERT_TRUE(settings::WriteUiOptions(previous));
    fs::remove(dataDir() / "gone");

    run();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "The last used database's directory no longer exists! The public "
                                "database is opened instead.");
    EXPECT_EQ(windows.seenByBookWindow.DatabaseDir, dataDir());

    messages.clear();
    run();
    EXPECT_TRUE(messages.empty()) << messages.front().text;
}

TEST_F(ProgramTest, AStartAfterAnUncleanEndWarnsOnce) {
    for (const std::string marker : {"#10*", ""}) {
        fs::create_directories(dataDir());
        test::WriteText(dataDir() / "shut.dat", marker);
        messages.clear();

        run();

        ASSERT_EQ(messages.size(), 1u) << "marker '" << marker << "'";
        EXPECT_EQ(messages[0].kind, platform::MessageKind::Warning);
        EXPECT_EQ(messages[0].text,
                  "Quorvan Shelfwise was not Closed normally!\nIt is STRONGLY recommended that "
                  "you Restore the last used database from your backup. For more information "
                  "click on Help.");
        EXPECT_EQ(messages[0].helpContext, 123);
        EXPECT_EQ(messages[0].buttons, unsigned(platform::ButtonOk | platform::ButtonHelp));
        EXPECT_EQ(test::ReadText(dataDir() / "shut.dat"), "@a$)");
    }
    messages.clear();
    run();
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProgramTest, ARefusedLoginEndsAtOnceWithoutWritingAnything) {
    struct Case {
        app::LoginResult result;
        const char* message;
    };
    const Case cases[] = {
        {app::LoginResult::Deactivated,
         "Your acount has been disactivated! Please, contact the System Supervisor."},
        {app::LoginResult::Refused, "Incorrect Login!"},
    };
    settings::Settings secured;
    secured.ProgramDir = secured.DataRoot = programDir;
    secured.PasswordMode = settings::opt::PasswordMode::Required;
    secured.SupervisorPassword = "secret";
    ASSERT_TRUE(settings::WriteSecurityOptions(secured));
    const std::string securityFile = test::ReadText(programDir / "options.dat");

    for (const Case& c : cases) {
        windows.loginResult = c.result;
        messages.clear();

        EXPECT_EQ(run(), 0);

        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, platform::MessageKind::Error);
        EXPECT_EQ(messages[0].text, c.message);
        EXPECT_EQ(test::ReadText(programDir / "options.dat"), securityFile);
        for (const char* file : {"options.dat", "shut.dat", "remind.dat", "labels.tml"}) {
            EXPECT_FALSE(fs::exists(dataDir() / file)) << file;
        }
    }
    EXPECT_EQ(windows.loginsAsked, 2);
}

// A refused record check cancels the desktop session's end and the program stays open; the
// next session end closes it in order.
TEST_F(ProgramTest, ARefusedRecordCheckCancelsTheSessionEnd) {
    app::Program program(programDir, windows);
    windows.sessionEndOf = &program;

    EXPECT_EQ(program.Run(), 0);

    EXPECT_EQ(windows.sessionEndsClosed, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(test::ReadText(dataDir() / "shut.dat"), "@a$)");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().text, "Quorvan Shelfwise is shutting down.");
}

TEST_F(ProgramTest, SigtermTakesTheOrderlyEndWithoutWaitingForAUser) {
    windows.sendTerm = true;

    EXPECT_EQ(run(), 0);

    EXPECT_TRUE(platform::IsUnattended());
    EXPECT_EQ(test::ReadText(dataDir() / "shut.dat"), "@a$)");
    EXPECT_TRUE(fs::exists(dataDir() / "options.dat"));
    EXPECT_TRUE(fs::exists(dataDir() / "remind.dat"));
}

TEST_F(ProgramTest, SigtermAndSighupDuringStartUpOrLaterTakeTheOrderlyEnd) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        for (const bool duringStartUp : {true, false}) {
            SCOPED_TRACE(std::to_string(signal) + (duringStartUp ? " in start-up" : " later"));
            fs::remove_all(dataDir());
            platform::SetUnattended(false);
            windows.sendTerm = true;
            windows.signalNumber = signal;
            windows.signalDuringStartUp = duringStartUp;

            EXPECT_EQ(run(), 0);

            EXPECT_TRUE(platform::IsUnattended());
            EXPECT_EQ(test::ReadText(dataDir() / "shut.dat"), "@a$)");
            EXPECT_TRUE(fs::exists(dataDir() / "options.dat"));
            EXPECT_TRUE(fs::exists(dataDir() / "remind.dat"));
        }
    }
}

TEST_F(ProgramTest, SigtermDuringAReplaceStopsItAndEndsWithNothingHalfWritten) {
    constexpr int Records = 3000;
    // The Replace window's warning is answered Yes, every other message as unattended.
    platform::SetMessageHook([this](const platform::Message& m) {
        messages.push_back(m);
        return m.helpContext == search::TReplaceDlg::HelpContext
                   ? platform::MessageAnswer::Yes
                   : platform::DefaultAnswer(m.buttons);
    });
    windows.duringLoop = [](book::TBookWindow& book) {
        engine::Table& table = book.Database().DataTable;
        table.beginBatch();
        for (int i = 0; i < Records; ++i) {
            table.append();
            table.setText(db::FirstDataField, "Title " + std::to_string(i));
            table.post();
        }
        table.endBatch();
        auto* commands = book.findChild<book::TReplaceCommands*>();
        commands->ShowReplace();
        search::TReplaceDlg* replace = commands->ReplaceWindow();
        replace->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("Changed"));
        replace->findChild<QGroupBox*>(QStringLiteral("RadioGroup2"))
            ->findChildren<QRadioButton*>()[1]
            ->setChecked(true);
        // The signal comes while the run takes the user's input.
        QMetaObject::invokeMethod(
            replace, [] { std::raise(SIGTERM); }, Qt::QueuedConnection);
        replace->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    };

    EXPECT_EQ(run(), 0);

    EXPECT_EQ(test::ReadText(dataDir() / "shut.dat"), "@a$)");
    // No write was left under way, and the run stopped before its end.
    EXPECT_FALSE(fs::exists(dataDir() / "data.jnl"));
    engine::Table table;
    table.setDirectory(dataDir());
    table.setFileName("data.dbf");
    table.open();
    EXPECT_TRUE(table.checkIndexes().empty());
    int changed = 0;
    int total = 0;
    for (table.first(); !table.atEnd(); table.next(), ++total) {
        const std::string name = table.text(db::FirstDataField);
        changed += name == "Changed" ? 1 : 0;
        EXPECT_TRUE(name == "Changed" || name.starts_with("Title ")) << name;
    }
    EXPECT_EQ(total, Records);
    EXPECT_LT(changed, Records);
}

TEST_F(ProgramTest, ADataDirectoryThatCannotBeCreatedIsReportedAndStartUpGoesOn) {
    test::WriteText(programDir / "DATA", "a file where the directory should be");

    run();

    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(messages[0].text, "Could not Create Data Directory!");
    EXPECT_TRUE(fs::exists(programDir / "options.dat"));
}

TEST_F(ProgramTest, MinimisingTheBookWindowWithTheTrayIconOnTakesItToTheTray) {
    settings::Settings ui;
    ui.DataDir = ui.DatabaseDir = dataDir();
    ui.ShowTips = false;
    ui.ShowTrayIcon = true;
    fs::create_directories(dataDir());
    ASSERT_TRUE(settings::WriteUiOptions(ui));
    windows.trayAvailable = true;
    app::Program program(programDir, windows);
    struct Seen {
        bool visible;
        bool minimized;
        bool hiddenByTray;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    windows.whenRunning = [&](QWidget* book) {
        const auto note = [&] {
            QCoreApplication::processEvents();
            seen.push_back(
                {book->isVisible(), book->isMinimized(), windows.Tray()->HiddenByTray()});
        };
        book->showMinimized();
        note();
        windows.Tray()->Click();
        note();
        // A record the user still has to correct keeps the window in sight.
        windows.refuseRecordCheck = true;
        book->showMinimized();
        note();
        windows.refuseRecordCheck = false;
        program.CloseMainWindow();
    };

    EXPECT_EQ(program.Run(), 0);

    // Hidden as it was minimised; the tray brings it back in its normal state.
    EXPECT_EQ(seen,
              (std::vector<Seen>{{false, true, true}, {true, false, false}, {true, false, false}}));
    EXPECT_EQ(test::ReadText(dataDir() / "shut.dat"), "@a$)");
}

TEST_F(ProgramTest, ADialogOpenWhenTheSessionEndsIsClosedFirst) {
    app::Program program(programDir, windows);
    int finished = 0;
    int result = -1;
    windows.whenRunning = [&](QWidget* book) {
        QDialog dialog(book);
        QObject::connect(&dialog, &QDialog::finished, [&finished] { ++finished; });
        QTimer::singleShot(0, &dialog, [&program] { program.CloseForSessionEnd(); });
        result = dialog.exec();
    };

    EXPECT_EQ(program.Run(), 0);

    EXPECT_EQ(finished, 1);
    EXPECT_EQ(result, int(QDialog::Rejected));
    EXPECT_EQ(test::ReadText(dataDir() / "shut.dat"), "@a$)");
}
