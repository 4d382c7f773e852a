#include "BookFixture.h"
#include "SortedBook.h"
#include "book/FilterCommands.h"
#include "book/RecordPage.h"
#include "book/RightPage.h"
#include "book/SortButton.h"
#include "db/RecordSchema.h"
#include "support/ChildProgram.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

namespace shelfwise::book {
namespace {

// The second program: it shows the first record of the database in the directories the
// first program passes, reports that it holds it and keeps it until told to let go.
constexpr const char* ChildProgramDir = "SW_SECOND_PROGRAM_DIR";

// The multi-user test starts this as its second program; test runs do not list it.
TEST(ChildProgram, HoldsTheFirstRecord) {
    const char* dir = std::getenv(ChildProgramDir);
    if (dir == nullptr) {
        GTEST_SKIP() << "runs only as the second program of the multi-user test";
    }
    settings::Settings settings;
    settings.ProgramDir = settings.DataRoot = dir;
    settings.PublicDir = settings.DataDir = settings.DatabaseDir = settings.ProgramDir / "DATA";
    platform::SetMessageHook([](const platform::Message&) { return platform::MessageAnswer::Ok; });
    {
        TSoftwareBookWindow window(settings);
        QApplication::processEvents();
        EXPECT_EQ(window.RecordPage()->StatusText(), QStringLiteral("Read/Write Access"));
        window.findChild<QLineEdit*>(QStringLiteral("L1"))->setText(QStringLiteral("Second"));
        test::WriteBytes(settings.DataDir / "holding", {});
        EXPECT_TRUE(test::WaitForFile(settings.DataDir / "release"));
    }
    platform::SetMessageHook(nullptr);
}

class MultiUserTest : public test::SortedBook {
protected:
    // Starts the second program on this test's database; it holds the first record.
    void StartSecondProgram(QProcess& second) {
        ASSERT_TRUE(shelfwise::test::StartChildProgram(second, ChildProgramDir, programDir,
                                                       "HoldsTheFirstRecord"));
        ASSERT_TRUE(test::WaitForFile(dataDir / "holding"));
    }
    void StopSecondProgram(QProcess& second) {
        test::WriteBytes(dataDir / "release", {});
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardOutput().toStdString();
    }
};

TEST_F(MultiUserTest, ARecordShownInAnotherProgramIsInUseHereAndNotWritten) {
    {
        auto& w = Open();
        w.findChild<QLineEdit*>(QStringLiteral("L1"))->setText(QStringLiteral("First"));
        Close();
    }
    QProcess second;
    StartSecondProgram(second);

    auto& w = Open();
    EXPECT_TRUE(w.RecordPage()->RecordInUse());
    EXPECT_EQ(w.RightPage()->Status()->Caption(),
              QStringLiteral("Read Only Access - Record In Use"));
    EXPECT_FALSE(Find<QLineEdit>("L1")->isEnabled());
    Find<QLineEdit>("L1")->setText(QStringLiteral("Mine"));
    messages.clear();
    w.RecordPage()->ShowRecordAt(1);
    // Leaving tried no write that the lock would have refused.
    EXPECT_TRUE(messages.empty());

    StopSecondProgram(second);

    // The second program stored its change when it let go; this one wrote nothing.
    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(w.RecordPage()->StatusText(), QStringLiteral("Read/Write Access"));
    EXPECT_TRUE(Find<QLineEdit>("L1")->isEnabled());
    EXPECT_EQ(Find<QLineEdit>("L1")->text(), QStringLiteral("Second"));
    EXPECT_EQ(w.Database().DataTable.recordCount(), 1u);
}

TEST_F(MultiUserTest, ASortThatNeedsANewIndexWaitsForTheTableToItself) {
    OpenWith({{"Delta", "Acme", 0}, {"alpha", "Zeta", 0}, {"Charlie", "Acme", 0}});
    Close();
    QProcess second;
    StartSecondProgram(second);

    settings.LetterTabs = settings::opt::LetterTabs::DontUse;
    Open();
    SortBy(test::ProducerField, true);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Unable to create Index!\nDatabase may be used by someone else - "
                                "this function requires Exclusive Database Use.");
    EXPECT_EQ(window->Database().Index.Sort, db::SortValues{});
    EXPECT_EQ(window->LeftPage()->SortButton()->PrimaryPart()->text(),
              QStringLiteral("Entry Order"));
    EXPECT_EQ(Listed(), (QStringList{"Delta", "alpha", "Charlie"}));
    EXPECT_EQ(Shown(), QStringLiteral("Delta"));
    StopSecondProgram(second);

    // With the table to itself the same sort succeeds (the second program named its record).
    SortBy(test::ProducerField, true);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(Listed(), (QStringList{"alpha", "Second", "Charlie"}));
}

TEST_F(MultiUserTest, AFailedSortKeepsTheFilterItsOrderServes) {
    OpenWith({{"Delta", "Acme", 0}, {"alpha", "Zeta", 0}});
    TSortButton& button = *window->LeftPage()->SortButton();
    // A filter no record passes, so the list holds no record (and locks none).
    TFilterCommands& filters = *window->findChild<TFilterCommands*>();
    search::TFilterList& filter = filters.Filter();
    filter.Define(filter.AddField(test::PriceField, search::FilterFloatType), "1000", "",
                  search::FilterFloatType, search::FilterOperator::Greater);
    filters.ApplyFilter();
    ASSERT_EQ(window->Database().Index.Filter, db::FilterState::fsNormal);
    ASSERT_TRUE(Listed().isEmpty());
    QProcess second;
    StartSecondProgram(second);

    SortBy(test::ProducerField);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(window->Database().Index.Filter, db::FilterState::fsNormal);
    EXPECT_EQ(button.FilterPart()->text(), QStringLiteral("Normal Filter"));
    EXPECT_TRUE(Listed().isEmpty());
    StopSecondProgram(second);
}

} // namespace
} // namespace shelfwise::book
