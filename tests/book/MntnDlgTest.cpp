#include "book/MntnDlg.h"

#include "BookFixture.h"
#include "book/CommandRegistry.h"
#include "book/ListDlg.h"
#include "book/PercentDlg.h"
#include "db/Database.h"
#include "db/Maintenance.h"
#include "engine/TableOperations.h"
#include "platform/Dialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

namespace shelfwise::book {
namespace {

class MntnDlgTest : public test::BookFixture {
protected:
    ~MntnDlgTest() override { platform::SetDialogHook(nullptr); }

    // The book window on three records, "Ann", "Bob" and "Cid", with "Bob" deleted.
    void OpenWithRecords() {
        Open();
        auto data = OpenData();
        for (const char* name : {"Ann", "Bob", "Cid"}) {
            data->append();
            data->setNumber(db::RecordNumberField, ++numbered);
            data->setText(AppName, name);
            data->post();
        }
        data->first();
        data->next();
        data->deleteRecord();
        window->AddLogEntry = [this](const QString& database, const QString& description) {
            log.push_back((database + QStringLiteral(": ") + description).toStdString());
        };
    }

    // Runs the Maintenance command; `script` works the dialog while it is open.
    void RunMaintenance(const std::function<void(TMntnDlg&)>& script, bool fromReminder = false) {
        platform::SetDialogHook([&](QDialog& dialog) {
            if (auto* maintenance = dynamic_cast<TMntnDlg*>(&dialog)) {
                maintenance->ConfirmByTyping = [this](const QString& first, const QString&) {
                    confirmations.push_back(first.toStdString());
                    return typedYes;
                };
                maintenance->SecurityCheck = [this] { return securityPassed; };
                maintenance->show();
                script(*maintenance);
                flags = {maintenance->DatabaseChanged, maintenance->SortReset,
                         maintenance->ListsChanged};
                maintenance->hide();
            }
            return static_cast<int>(QDialog::Accepted);
        });
        if (fromReminder) {
            window->MaintenanceCommand(true);
        } else {
            window->Commands().Run(QStringLiteral("Maintenance"));
        }
        platform::SetDialogHook(nullptr);
    }

    std::vector<std::string> names() {
        std::vector<std::string> out;
        auto data = OpenData();
        for (data->first(); !data->atEnd(); data->next()) {
            out.push_back(data->text(AppName));
        }
        return out;
    }
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

    struct Flags {
        bool DatabaseChanged = false;
        bool SortReset = false;
        bool ListsChanged = false;
        bool operator==(const Flags&) const = default;
    };

    int numbered = 0;
    bool typedYes = true;
    bool securityPassed = true;
    std::vector<std::string> confirmations;
    std::vector<std::string> log;
    Flags flags;
};

TEST_F(MntnDlgTest, ControlsCarryTheirCaptionsAndHints) {
    OpenWithRecords();
    const std::vector<std::array<const char*, 3>> buttons = {
        {"ReindexBtn", "&Reindex Database", "Rebuild All Indexes"},
        {"DeleteIndexesBtn", "Delete &Indexes", "Delete Indexes - Decreases Size Of Index File"},
        {"PackBtn", "&Pack Database", "Remove Deleted Records"},
        {"DeleteAllBtn", "Delete &All Records", "Very Dangerous - Use With Caution"},
        {"DeleteSelectedBtn", "&Delete Selected Records",
         "Delete All Displayed Records (Selected By A Filter)"},
        {"RepairBtn", "Repair Data &File", "Try To Recreate A Corrupt Data File"},
        {"BackupBtn", "&Backup", "Backup Current Data File"},
        {"RestoreBtn", "Re&store", "Restore Current Data File from The Backup File"},
        {"EditListsBtn", "&Edit Lists", "Modify/Create/Delete List Items"},
        {"LogBtn", "Display &Log", "Display Maintenance Log"},
    };
    for (const bool fromReminder : {false, true}) {
        RunMaintenance(
            [&](TMntnDlg& dialog) {
                EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Database Maintenance"));
                for (const auto& [name, caption, hint] : buttons) {
                    QPushButton* button = dialog.Button(name);
                    ASSERT_NE(button, nullptr) << name;
                    EXPECT_EQ(button->text(), QString::fromLatin1(caption));
                    EXPECT_EQ(button->toolTip(), QString::fromLatin1(hint));
                    EXPECT_TRUE(button->isVisible());
                    EXPECT_TRUE(button->isEnabled());
                }
                for (int i = 0; i < 3; ++i) {
                    EXPECT_EQ(dialog.Marker(i)->isVisible(), fromReminder);
                    EXPECT_EQ(dialog.Marker(i)->text(), QStringLiteral(">>"));
                }
                EXPECT_EQ(dialog.DatabaseName(), QStringLiteral("data.dbf"));
            },
            fromReminder);
    }
}

// Each button with its confirmations answered, and the log, messages and flags that follow.
TEST_F(MntnDlgTest, EditListsOpensTheListEditorAndReportsNoChangeWhenNothingChanged) {
    OpenWithRecords();
    bool listEditorShown = false;
    RunMaintenance([&](TMntnDlg& dialog) {
        platform::SetDialogHook([&](QDialog& opened) {
            listEditorShown = dynamic_cast<TListDlg*>(&opened) != nullptr;
            return static_cast<int>(QDialog::Accepted);
        });
        dialog.Button("EditListsBtn")->click();
    });
    EXPECT_TRUE(listEditorShown);
    EXPECT_EQ(flags, (Flags{false, false, false}));
}

TEST_F(MntnDlgTest, OperationsLogWhatTheyDid) {
    struct Case {
        const char* button;
        bool typedYes;
        bool securityPassed;
        std::vector<std::string> log;
        std::optional<std::string> message; // the last message shown
        Flags flags;
        std::vector<std::string> names; // the records afterwards
    };
    const std::vector<std::string> all = {"Ann", "Cid"};
    const std::vector<Case> cases = {
        {"ReindexBtn",
         true,
         true,
         {"data.dbf: Database Reindexed."},
         std::nullopt,
         {true, false, false},
         all},
        {"DeleteIndexesBtn",
         true,
         true,
         {"data.dbf: Indexes Deleted."},
         std::nullopt,
         {true, true, false},
         all},
        {"PackBtn",
         true,
         true,
         {"data.dbf: Database Packed."},
         std::nullopt,
         {true, false, false},
         all},
        {"DeleteAllBtn",
         true,
         true,
         {"data.dbf: All Records Deleted - 2 records."},
         "All Records Deleted.",
         {true, false, false},
         {}},
        {"DeleteAllBtn", false, true, {}, std::nullopt, {}, all},
        {"DeleteAllBtn", true, false, {}, std::nullopt, {}, all},
        {"DeleteSelectedBtn",
         true,
         true,
         {},
         "You have to set a Normal or Reversed Filter first!",
         {},
         all},
        {"RepairBtn",
         true,
         true,
         {"data.dbf: Database Repaired."},
         "Data File Repaired Successfully. The original file is saved as TEMP$$$.DBF",
         {true, true, false},
         all},
        {"BackupBtn",
         true,
         true,
         {"data.dbf: Database Backed Up - 2 records."},
         "Database Backed Up Successfully.\nIMPORTANT: You should now copy all files from BACKUP "
         "directory to a diskette or backup media. You may have to use some compression or "
         "backup software.",
         {},
         all},
        {"RestoreBtn",
         true,
         true,
         {"data.dbf: Database Restore Failed."},
         "Backup Data File not found!",
         {true, true, false},
         all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + (c.typedYes ? "" : ", not confirmed") +
                     (c.securityPassed ? "" : ", security check refused"));
        Close();
        std::filesystem::remove_all(dataDir);
        std::filesystem::create_directories(dataDir);
        messages.clear();
        log.clear();
        flags = {};
        numbered = 0;
        OpenWithRecords();
        typedYes = c.typedYes;
        securityPassed = c.securityPassed;
        const settings::ReminderDates reminders = settings.Reminders;

        RunMaintenance([&](TMntnDlg& dialog) { dialog.Button(c.button)->click(); });

        EXPECT_EQ(log, c.log);
        if (c.message) {
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages.back().text, *c.message);
        }
        EXPECT_EQ(flags, c.flags);
        EXPECT_EQ(names(), c.names);
        const bool noted = std::string_view(c.button) == "BackupBtn"
                               ? settings.Reminders.LastBackup != reminders.LastBackup
                               : settings.Reminders.LastReindex != reminders.LastReindex;
        const bool due = c.log.size() == 1 && (std::string_view(c.button) == "BackupBtn" ||
                                               std::string_view(c.button) == "ReindexBtn" ||
                                               std::string_view(c.button) == "PackBtn");
        EXPECT_EQ(noted, due) << "the reminder date follows a successful operation only";
        EXPECT_TRUE(window->Database().DataTable.isOpen()) << "the book is open again";
    }
}

TEST_F(MntnDlgTest, AnOperationRefusedByAnotherProgramIsLoggedAsFailed) {
    OpenWithRecords();
    const auto other = OpenData();
    const settings::ReminderDates reminders = settings.Reminders;
    RunMaintenance([&](TMntnDlg& dialog) { dialog.Button("PackBtn")->click(); });
    EXPECT_EQ(log, std::vector<std::string>{"data.dbf: Database Pack Failed."});
    EXPECT_EQ(settings.Reminders, reminders);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text,
              "Function Failed!\nDatabase may be used by someone else - this function requires "
              "Exclusive Database Use.");
}

TEST_F(MntnDlgTest, BackupThenRestoreBringsTheRecordsBack) {
    OpenWithRecords();
    RunMaintenance([&](TMntnDlg& dialog) {
        dialog.Button("BackupBtn")->click();
        dialog.Button("DeleteAllBtn")->click();
        answer = platform::MessageAnswer::Yes; // lists too
        dialog.Button("RestoreBtn")->click();
    });
    EXPECT_EQ(log,
              (std::vector<std::string>{"data.dbf: Database Backed Up - 2 records.",
                                        "data.dbf: All Records Deleted - 2 records.",
                                        "data.dbf: Database Restored from backup - 2 records."}));
    EXPECT_EQ(names(), (std::vector<std::string>{"Ann", "Cid"}));
    EXPECT_EQ(flags, (Flags{true, true, true}));
    EXPECT_TRUE(engine::tableExists(dataDir, db::RepairAsideName));
}

TEST_F(MntnDlgTest, StopInTheProgressWindowEndsABackupAndKeepsTheOldOne) {
    OpenWithRecords();
    const std::filesystem::path backup = dataDir / "BACKUP" / "data.dbf";
    std::string before;
    bool pressed = false;
    RunMaintenance([&](TMntnDlg& dialog) {
        dialog.Button("BackupBtn")->click();
        before = shelfwise::test::ReadText(backup);
        auto data = OpenData();
        data->append();
        data->setNumber(db::RecordNumberField, ++numbered);
        data->setText(AppName, "Dan");
        data->post();
        data.reset();
        // The click lands while the backup runs: the window lets events run at its first step.
        QTimer::singleShot(0, [&] {
            TPercentDlg* progress = CurrentProgress();
            ASSERT_NE(progress, nullptr);
            EXPECT_EQ(progress->StopBtn()->objectName(), QStringLiteral("StopBtn"));
            EXPECT_EQ(progress->StopBtn()->text(), QStringLiteral("&Stop"));
            QTest::mouseClick(progress->StopBtn(), Qt::LeftButton);
            pressed = true;
        });
        dialog.Button("BackupBtn")->click();
    });
    EXPECT_TRUE(pressed);
    EXPECT_EQ(log, (std::vector<std::string>{"data.dbf: Database Backed Up - 2 records.",
                                             "data.dbf: Database Backup Stopped."}));
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, "Operation Stopped. Nothing was changed.");
    EXPECT_EQ(shelfwise::test::ReadText(backup), before);
    for (const auto& entry : std::filesystem::directory_iterator(dataDir / "BACKUP")) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("bak$$$")) << entry.path();
    }
}

TEST_F(MntnDlgTest, OnlyUsersAllowedToMaintainGetTheCommand) {
    settings.UserAccess = settings::opt::UserAccess::ReadOnly;
    OpenWithRecords();
    EXPECT_FALSE(Find<QAbstractButton>("B_Maintenance")->isEnabled());
    bool opened = false;
    RunMaintenance([&](TMntnDlg&) { opened = true; }, true);
    EXPECT_FALSE(opened) << "the command checks again, also from the reminder";
}

} // namespace
} // namespace shelfwise::book
