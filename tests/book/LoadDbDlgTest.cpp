#include "book/LoadDbDlg.h"

#include "BookFixture.h"
#include "book/DeleteDlg.h"
#include "book/EditDbDlg.h"
#include "db/DatabaseCatalogue.h"
#include "db/LookupList.h"
#include "db/RecordSchema.h"
#include "editors/Lookup.h"
#include "engine/TableOperations.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <deque>
#include <gmock/gmock.h>

namespace shelfwise::book {
namespace {

using Entries = std::vector<db::TCatalogueEntry>;
using ::testing::Contains;
using ::testing::Not;

constexpr const char* ChildProgramDir = "SW_CATALOGUE_HOLDER_DIR";

// The second program of the delete test: it keeps "data_1.dbf" open until told to let go.
TEST(ChildProgram, HoldsTheSecondDatabase) {
    const char* dir = std::getenv(ChildProgramDir);
    if (dir == nullptr) {
        GTEST_SKIP() << "runs only as the second program of the catalogue delete test";
    }
    engine::Table table;
    table.setDirectory(dir);
    table.setFileName("data_1.dbf");
    table.open();
    test::WriteBytes(std::filesystem::path(dir) / "holding", {});
    EXPECT_TRUE(test::WaitForFile(std::filesystem::path(dir) / "release"));
}

class LoadDbDlgTest : public test::BookFixture {
protected:
    struct Edit {
        QString Name;
        QString Description;
    };

    ~LoadDbDlgTest() override { platform::SetDialogHook(nullptr); }

    // Dialogs opened from the "Load Database" dialog: the edit dialog takes the next queued
    // texts, the typed confirmation gets "yes".
    void AnswerDialogs(std::function<void(TLoadDbDlg&)> script) {
        platform::SetDialogHook([this, script](QDialog& dialog) {
            if (auto* load = dynamic_cast<TLoadDbDlg*>(&dialog)) {
                script(*load);
            } else if (auto* edit = dynamic_cast<TEditDbDlg*>(&dialog)) {
                editTitles.push_back(edit->windowTitle());
                edit->NameEdit()->setText(edits.front().Name);
                edit->DescriptionEdit()->setText(edits.front().Description);
                edits.pop_front();
                edit->OkButton()->click();
            } else if (auto* confirm = dynamic_cast<TDeleteDlg1*>(&dialog)) {
                confirmTitles.push_back(confirm->windowTitle());
                QTest::keyClicks(confirm->Answer(), QStringLiteral("yes"));
                confirm->OkButton()->click();
            }
            return dialog.result();
        });
    }

    static void Select(TLoadDbDlg& dialog, const char* fileName) {
        const auto& files = dialog.FileNames();
        const auto at = std::ranges::find(files, std::string(fileName));
        ASSERT_NE(at, files.end()) << fileName;
        dialog.Databases()->setCurrentRow(static_cast<int>(at - files.begin()));
    }

    static QStringList Names(const TLoadDbDlg& dialog) {
        QStringList names;
        for (int i = 0; i < dialog.Databases()->count(); ++i) {
            names << dialog.Databases()->item(i)->text();
        }
        return names;
    }

    bool AnyTableFile(const std::string& base) const {
        return std::ranges::any_of(
            std::vector<const char*>{".dbf", ".dbt", ".mdx"},
            [&](const char* ext) { return std::filesystem::exists(dataDir / (base + ext)); });
    }

    // A user who is not the supervisor, with an empty catalogue in a directory of their own.
    std::filesystem::path UsePrivateDirectory() {
        const auto privateDir = programDir / "USER1";
        std::filesystem::create_directories(privateDir);
        engine::copyTable(programDir, "master.dbf", privateDir, "master.dbf");
        settings.IsSupervisor = false;
        settings.DataDir = privateDir;
        return privateDir;
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const platform::Message& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

    std::deque<Edit> edits;
    QStringList editTitles;
    QStringList confirmTitles;
};

TEST_F(LoadDbDlgTest, DatabasesAreCreatedDescribedDeletedAndLoaded) {
    auto& w = Open();
    edits = {{"Games", "Play"}, {"Tools", ""}, {"Music", ""}, {"Utilities", "Handy"}};
    AnswerDialogs([this](TLoadDbDlg& d) {
        EXPECT_EQ(Names(d), QStringList{QStringLiteral("data.dbf")});
        for (int i = 0; i < 3; ++i) {
            d.NewButton()->click();
        }
        EXPECT_EQ(d.FileNames(),
                  (std::vector<std::string>{"data.dbf", "data_1.dbf", "data_2.dbf", "data_3.dbf"}));
        EXPECT_EQ(d.Databases()->currentRow(), 3);
        EXPECT_EQ(d.RealFileName()->text().toStdString(), (dataDir / "data_3.dbf").string());
        EXPECT_TRUE(std::filesystem::exists(d.RealFileName()->text().toStdString()));

        Select(d, "data_2.dbf");
        d.EditButton()->click();
        EXPECT_EQ(d.Databases()->item(2)->text(), QStringLiteral("Utilities"));

        Select(d, "data_3.dbf");
        d.DeleteButton()->click();
        EXPECT_EQ(Names(d), (QStringList{QStringLiteral("data.dbf"), QStringLiteral("Games"),
                                         QStringLiteral("Utilities")}));
        EXPECT_EQ(d.Databases()->currentRow(), 0);

        Select(d, "data_1.dbf");
        d.LoadButton()->click();
    });
    ASSERT_TRUE(w.Commands().Item(QStringLiteral("Load1"))->isEnabled());
    w.Commands().Item(QStringLiteral("Load1"))->trigger();

    EXPECT_EQ(editTitles, (QStringList{QStringLiteral("Create New Database"),
                                       QStringLiteral("Create New Database"),
                                       QStringLiteral("Create New Database"),
                                       QStringLiteral("Edit Database Information")}));
    EXPECT_EQ(confirmTitles, QStringList{QStringLiteral("Confirm")});
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Table Deleted."});
    EXPECT_EQ(settings.DataFileName, "data_1.dbf");
    EXPECT_EQ(w.Database().DataTable.fileName(), "data_1.dbf");
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvan Shelfwise - Database: Games"));
    // The database left behind keeps its sort state beside it.
    EXPECT_TRUE(std::filesystem::exists(dataDir / "data.idx"));
    EXPECT_FALSE(AnyTableFile("data_3"));
    EXPECT_TRUE(engine::tableExists(dataDir, "data_1.dbf"));
    EXPECT_TRUE(engine::tableExists(dataDir, "data_2.dbf"));
    db::TDatabaseCatalogue catalogue(w.Database(), settings);
    EXPECT_EQ(catalogue.Entries(), (Entries{{"data.dbf", "data.dbf", ""},
                                            {"data_1.dbf", "Games", "Play"},
                                            {"data_2.dbf", "Utilities", "Handy"}}));
}

TEST_F(LoadDbDlgTest, ADatabaseOfTheOtherDirectoryBringsItsOwnLists) {
    const auto privateDir = UsePrivateDirectory();
    auto& w = Open();
    edits = {{"Mine", ""}};
    AnswerDialogs([](TLoadDbDlg& d) {
        d.TypeGroup()->findChild<QRadioButton*>(QStringLiteral("PrivateBtn"))->click();
        d.NewButton()->click();
        d.LoadButton()->click();
    });
    w.Commands().Item(QStringLiteral("Load1"))->trigger();
    ASSERT_EQ(settings.DatabaseDir, privateDir);

    // A producer typed into the private database joins the private list, not the public one.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* producer = Find<editors::TLookup>("L2");
    producer->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(producer, "Private Vendor");
    Find<QLineEdit>("L1")->setFocus(Qt::TabFocusReason);
    db::TLookupList privateList(settings, "list1.dbf");
    EXPECT_THAT(privateList.Items(), Contains("Private Vendor"));
    settings.DatabaseDir = dataDir;
    db::TLookupList publicList(settings, "list1.dbf");
    EXPECT_THAT(publicList.Items(), Not(Contains("Private Vendor")));
    settings.DatabaseDir = privateDir;
}

TEST_F(LoadDbDlgTest, ADeletedNumberIsGivenOutAgain) {
    auto& w = Open();
    edits = {{"One", ""}, {"Two", ""}, {"Again", ""}};
    AnswerDialogs([](TLoadDbDlg& d) {
        d.NewButton()->click();
        d.NewButton()->click();
        Select(d, "data_1.dbf");
        d.DeleteButton()->click();
        d.NewButton()->click();
        EXPECT_EQ(d.FileNames().back(), "data_1.dbf");
        EXPECT_EQ(d.Databases()->currentItem()->text(), QStringLiteral("Again"));
        d.reject();
    });
    w.LoadDatabaseCommand();
    EXPECT_EQ(settings.DataFileName, "data.dbf");
}

TEST_F(LoadDbDlgTest, LoadingTheOpenDatabaseChangesNothing) {
    auto& w = Open();
    const QString title = w.windowTitle();
    edits = {{"Games", ""}};
    AnswerDialogs([](TLoadDbDlg& d) {
        d.NewButton()->click();
        Select(d, "data.dbf");
        d.LoadButton()->click();
    });
    w.LoadDatabaseCommand();
    EXPECT_EQ(settings.DataFileName, "data.dbf");
    EXPECT_EQ(settings.DatabaseDir, dataDir);
    EXPECT_EQ(w.windowTitle(), title);
    // Nothing was closed: no sort state was written, and the catalogue is back on the open
    // database's record.
    EXPECT_FALSE(std::filesystem::exists(dataDir / "data.idx"));
    EXPECT_TRUE(w.Database().DataTable.isOpen());
    EXPECT_EQ(w.Database().MasterTable.text(db::CatalogueFileName), "data.dbf");
    EXPECT_TRUE(messages.empty());
}

TEST_F(LoadDbDlgTest, AListedDatabaseWhoseFileIsMissingOpensAsANewEmptyTable) {
    auto& w = Open();
    edits = {{"Ghost", ""}};
    AnswerDialogs([this](TLoadDbDlg& d) {
        d.NewButton()->click();
        engine::deleteTable(dataDir, "data_1.dbf");
        d.LoadButton()->click();
    });
    w.LoadDatabaseCommand();
    EXPECT_TRUE(messages.empty()) << MessageTexts().front();
    EXPECT_EQ(settings.DataFileName, "data_1.dbf");
    ASSERT_TRUE(w.Database().DataTable.isOpen());
    EXPECT_EQ(w.Database().DataTable.recordCount(), 0u);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvan Shelfwise - Database: Ghost"));
}

TEST_F(LoadDbDlgTest, DirectoriesOfferedFollowTheUsersAccess) {
    const auto privateDir = programDir / "USER1";
    std::filesystem::create_directories(privateDir);
    struct Case {
        bool Supervisor;
        settings::opt::UserAccess Access;
        bool OpenInPrivate;
        TLoadDbDlg::DatabaseType Type;
        bool TypeEnabled;
        bool Changeable;
    };
    using enum settings::opt::UserAccess;
    const Case cases[] = {
        {true, ReadWrite, false, TLoadDbDlg::Public, false, true},
        {false, None, true, TLoadDbDlg::Private, false, true},
        {false, ReadWrite, false, TLoadDbDlg::Public, true, false},
        {false, ReadOnly, true, TLoadDbDlg::Private, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        settings.IsSupervisor = c.Supervisor;
        settings.UserAccess = c.Access;
        settings.DataDir = privateDir;
        settings.DatabaseDir = c.OpenInPrivate ? privateDir : dataDir;
        db::TDatabase database(settings);
        ASSERT_TRUE(database.OpenDatabase());
        {
            TLoadDbDlg dialog(database, settings, nullptr);
            EXPECT_EQ(dialog.Type(), c.Type);
            EXPECT_EQ(dialog.TypeGroup()->isEnabled(), c.TypeEnabled);
            EXPECT_EQ(settings.DatabaseDir, c.Type == TLoadDbDlg::Public ? dataDir : privateDir);
            EXPECT_EQ(dialog.NewButton()->isEnabled(), c.Changeable);
            EXPECT_EQ(dialog.EditButton()->isEnabled(), c.Changeable);
            EXPECT_EQ(dialog.DeleteButton()->isEnabled(), c.Changeable);
            EXPECT_EQ(dialog.Databases()->currentRow(), 0);
            if (c.TypeEnabled) {
                // The other directory while the dialog is up; Cancel goes back.
                const auto start = settings.DatabaseDir;
                const auto other =
                    c.Type == TLoadDbDlg::Public ? TLoadDbDlg::Private : TLoadDbDlg::Public;
                dialog.TypeGroup()
                    ->findChild<QRadioButton*>(other == TLoadDbDlg::Public
                                                   ? QStringLiteral("PublicBtn")
                                                   : QStringLiteral("PrivateBtn"))
                    ->click();
                EXPECT_EQ(dialog.Type(), other);
                EXPECT_NE(settings.DatabaseDir, start);
                dialog.reject();
                EXPECT_EQ(settings.DatabaseDir, start);
            }
        }
        EXPECT_TRUE(messages.empty());
        messages.clear();
    }
}

TEST_F(LoadDbDlgTest, LoadWithAnEmptyListLoadsNothingAndKeepsTheOpenDirectory) {
    const auto privateDir = UsePrivateDirectory();
    db::TDatabase database(settings);
    ASSERT_TRUE(database.OpenDatabase());

    TLoadDbDlg dialog(database, settings, nullptr);
    dialog.TypeGroup()->findChild<QRadioButton*>(QStringLiteral("PrivateBtn"))->click();
    EXPECT_EQ(settings.DatabaseDir, privateDir);
    EXPECT_EQ(dialog.Databases()->count(), 0);
    EXPECT_TRUE(dialog.NewButton()->isEnabled());
    EXPECT_FALSE(dialog.EditButton()->isEnabled());
    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
    dialog.LoadButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.ChosenFile().empty());
    EXPECT_EQ(settings.DatabaseDir, dataDir);
    EXPECT_TRUE(messages.empty());
}

TEST_F(LoadDbDlgTest, ADatabaseWhoseRecordVanishedMeanwhileIsNotDeleted) {
    db::TDatabase database(settings);
    ASSERT_TRUE(database.OpenDatabase());
    db::TDatabaseCatalogue catalogue(database, settings);
    catalogue.Create("Games", "");
    TLoadDbDlg dialog(database, settings, nullptr);
    // Another program takes the record out after the list was filled.
    ASSERT_TRUE(catalogue.Delete("data_1.dbf"));
    engine::copyTable(programDir, "data.dbf", dataDir, "data_1.dbf");

    AnswerDialogs([](TLoadDbDlg&) {});
    Select(dialog, "data_1.dbf");
    dialog.DeleteButton()->click();
    EXPECT_EQ(confirmTitles.size(), 1);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Table Could Not Be Deleted!"});
    EXPECT_EQ(messages.at(0).kind, platform::MessageKind::Error);
    EXPECT_EQ(dialog.Databases()->count(), 2);
    EXPECT_TRUE(engine::tableExists(dataDir, "data_1.dbf"));
}

TEST_F(LoadDbDlgTest, ADatabaseAnotherProgramHasOpenIsNotDeleted) {
    db::TDatabase database(settings);
    ASSERT_TRUE(database.OpenDatabase());
    db::TDatabaseCatalogue(database, settings).Create("Games", "");

    QProcess second;
    ASSERT_TRUE(shelfwise::test::StartChildProgram(second, ChildProgramDir, dataDir,
                                                   "HoldsTheSecondDatabase"));
    ASSERT_TRUE(test::WaitForFile(dataDir / "holding"));

    AnswerDialogs([](TLoadDbDlg&) {});
    TLoadDbDlg dialog(database, settings, nullptr);
    Select(dialog, "data_1.dbf");
    dialog.DeleteButton()->click();
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"Table in use - cannot be deleted at this time!"});
    EXPECT_EQ(messages.at(0).kind, platform::MessageKind::Information);
    EXPECT_TRUE(confirmTitles.isEmpty());
    EXPECT_EQ(dialog.Databases()->count(), 2);
    EXPECT_TRUE(engine::tableExists(dataDir, "data_1.dbf"));

    test::WriteBytes(dataDir / "release", {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardOutput().toStdString();

    messages.clear();
    Select(dialog, "data_1.dbf");
    dialog.DeleteButton()->click();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Table Deleted."});
    EXPECT_FALSE(engine::tableExists(dataDir, "data_1.dbf"));
}

} // namespace
} // namespace shelfwise::book
