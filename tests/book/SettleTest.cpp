#include "SortedBook.h"
#include "book/LetterBar.h"
#include "editors/DateEdit.h"
#include "engine/PosixFile.h"
#include "platform/Dialogs.h"

#include <QAbstractButton>
#include <QDialog>
#include <QTest>
#include <functional>

namespace shelfwise::book {
namespace {

using namespace std::chrono;

class SettleTest : public test::SortedBook {
protected:
    // The installation date stored in the named record, as another program reads it.
    std::optional<year_month_day> StoredDate(const std::string& name) const {
        auto data = OpenData();
        for (data->first(); !data->atEnd(); data->next()) {
            if (data->text(test::NameField) == name) {
                return data->date(InstallDate);
            }
        }
        return std::nullopt;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const platform::Message& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

    // Back to the first record of letter A.
    void ShowFirstOfA() const {
        window->Navigator()->LetterKey('A');
        window->RecordPage()->ShowRecordAt(0);
        ASSERT_EQ(Shown(), QStringLiteral("Alpha"));
    }

    // The digits typed for that day of March 1998.
    static std::string MarchDigits(unsigned day) {
        return "03" + QStringLiteral("%1").arg(day, 2, 10, QChar(u'0')).toStdString() + "1998";
    }

    void TypeDate(const char* digits) const {
        auto* date = Find<editors::TDateEdit>("L8");
        date->setFocus();
        QTest::keyClick(date, Qt::Key_Home);
        QTest::keyClicks(date, QString::fromLatin1(digits));
    }
};

TEST_F(SettleTest, AnInvalidDateStopsASaveFromEveryKindOfButtonAndAValidOneLetsItThrough) {
    OpenWith({{"Alpha", "", 0}, {"Apple", "", 0}, {"Charlie", "", 0}});
    SortBy(test::NameField);
    int dialogs = 0;
    platform::SetDialogHook([&](QDialog&) {
        ++dialogs;
        return int(QDialog::Rejected);
    });
    struct Case {
        const char* what;
        std::function<QAbstractButton*()> button;
        // What the command shows once the record is stored; empty when it stays.
        const char* shownAfter;
    };
    const Case cases[] = {
        {"speed bar", [this] { return Find<QAbstractButton>("B_New"); }, ""},
        {"record button", [this] { return Find<QAbstractButton>("B_Next"); }, "Apple"},
        {"sort button", [this] { return Find<QAbstractButton>("SortPart1"); }, "Alpha"},
    };
    unsigned day = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShowFirstOfA();
        QAbstractButton* button = c.button();
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
        const auto before = StoredDate("Alpha");
        messages.clear();
        dialogs = 0;

        TypeDate("02301999");
        button->click();
        EXPECT_EQ(Texts(), std::vector<std::string>{"Invalid Date!"});
        EXPECT_EQ(Shown(), QStringLiteral("Alpha"));
        EXPECT_EQ(dialogs, 0);
        EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("L8"));
        EXPECT_EQ(StoredDate("Alpha"), before);

        messages.clear();
        TypeDate(MarchDigits(day).c_str());
        button->click();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(StoredDate("Alpha"), (year_month_day{year(1998), March, std::chrono::day(day)}));
        EXPECT_EQ(Shown(), QString::fromLatin1(c.shownAfter));
        EXPECT_EQ(dialogs, c.shownAfter == std::string("Alpha") ? 1 : 0);
        ++day;
    }
    platform::SetDialogHook(nullptr);
}

TEST_F(SettleTest, ARecordCopyTakesOnlyADateThatSettles) {
    OpenWith({{"Alpha", "", 0}});
    window->RecordPage()->ShowRecordAt(0);
    QAbstractButton* copy = Find<QAbstractButton>("B_RCopy");
    EXPECT_EQ(copy->focusPolicy(), Qt::NoFocus);
    TypeDate("02301999");
    copy->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Invalid Date!"});
    EXPECT_FALSE(window->Database().CopyBufferFilled);
    messages.clear();
    TypeDate("03151998");
    copy->click();
    EXPECT_TRUE(messages.empty());
    ASSERT_TRUE(window->Database().CopyBufferFilled);
    engine::Table& buffer = window->Database().CopyTable;
    buffer.first();
    EXPECT_EQ(buffer.date(InstallDate), (year_month_day{year(1998), March, day(15)}));
}

TEST_F(SettleTest, ALetterTabStoresATypedDateBeforeItMovesAndTheNextMoveStoresItAgain) {
    OpenWith({{"Alpha", "", 0}, {"Apple", "", 0}, {"Charlie", "", 0}, {"Delta", "", 0}});
    SortBy(test::NameField);
    struct Case {
        const char* what;
        std::function<void()> choose;
        char letter;
    };
    const Case cases[] = {
        {"tab", [this] { window->LetterBar()->Tab('C' - 'A')->click(); }, 'C'},
        {"key", [this] { window->Navigator()->LetterKey('D'); }, 'D'},
    };
    EXPECT_EQ(window->LetterBar()->Tab(0)->focusPolicy(), Qt::NoFocus);
    unsigned day = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShowFirstOfA();
        const auto before = StoredDate("Alpha");
        messages.clear();

        TypeDate("02301999");
        c.choose();
        EXPECT_EQ(Texts(), std::vector<std::string>{"Invalid Date!"});
        EXPECT_EQ(window->Navigator()->CurrentLetter(), 'A');
        EXPECT_EQ(SelectedTab(), 'A');
        EXPECT_EQ(Listed().front(), QStringLiteral("Alpha"));
        EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("L8"));
        EXPECT_EQ(StoredDate("Alpha"), before);

        messages.clear();
        TypeDate(MarchDigits(day).c_str());
        c.choose();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(StoredDate("Alpha"), (year_month_day{year(1998), March, std::chrono::day(day)}));
        EXPECT_EQ(window->Navigator()->CurrentLetter(), c.letter);
        EXPECT_EQ(SelectedTab(), c.letter);
        // The record stays on the page, open for more typing, which the next move stores.
        EXPECT_EQ(Shown(), QStringLiteral("Alpha"));
        EXPECT_FALSE(window->RecordPage()->RecordInUse());
        TypeDate("04011998");
        QTest::mouseClick(window->LeftPage()->RowButtons()[0], Qt::LeftButton);
        EXPECT_EQ(Shown(), Listed().front());
        EXPECT_EQ(StoredDate("Alpha"), (year_month_day{year(1998), April, std::chrono::day(1)}));
        ++day;
    }
}

TEST_F(SettleTest, TypingAfterACommandThatKeptTheRecordIsStoredByTheNextMove) {
    OpenWith({{"Alpha", "", 0}, {"Charlie", "", 0}});
    SortBy(test::NameField);
    ShowFirstOfA();
    // What an export, a search that found nothing or a refused session end leave behind.
    TypeDate("03011998");
    ASSERT_TRUE(window->CommitRecord());
    EXPECT_EQ(StoredDate("Alpha"), (year_month_day{year(1998), March, day(1)}));
    EXPECT_FALSE(window->RecordPage()->RecordInUse());
    TypeDate("03021998");
    // The row after the letter's last record: a new one.
    QTest::mouseClick(window->LeftPage()->RowButtons()[1], Qt::LeftButton);
    EXPECT_TRUE(window->RecordPage()->NewRecord());
    EXPECT_EQ(StoredDate("Alpha"), (year_month_day{year(1998), March, day(2)}));
}

TEST_F(SettleTest, ALetterTabWhoseStoreFailsPartWayLeavesTheRecordWholeBeforeOrAfter) {
    OpenWith({{"Alpha", "", 0}, {"Charlie", "", 0}});
    SortBy(test::NameField);
    const year_month_day typed{year(1998), March, day(15)};
    // No: a store that cannot finish keeps the letter and the typed date.
    answer = platform::MessageAnswer::No;
    bool struck = true;
    for (std::uint64_t nth = 1; struck; ++nth) {
        SCOPED_TRACE(nth);
        ShowFirstOfA();
        Find<editors::TDateEdit>("L8")->Clear();
        window->CommitRecord();
        ASSERT_EQ(StoredDate("Alpha"), std::nullopt);
        messages.clear();
        TypeDate("03151998");
        engine::FileFaults::arm(nth, engine::FileFaults::Action::Fail);
        window->LetterBar()->Tab('C' - 'A')->click();
        struck = engine::FileFaults::calls() >= nth;
        engine::FileFaults::disarm();
        const auto stored = StoredDate("Alpha");
        EXPECT_TRUE(stored == std::nullopt || stored == typed);
        const bool moved = window->Navigator()->CurrentLetter() == 'C';
        // The letter moves only once the record is stored; a refused store says so.
        if (moved) {
            EXPECT_EQ(stored, typed);
        } else {
            EXPECT_EQ(SelectedTab(), 'A');
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages.back().text.substr(0, 27), "Could not Update the record");
        }
        EXPECT_EQ(Find<editors::TDateEdit>("L8")->GetDate(), typed);
    }
}

TEST_F(SettleTest, CommandsThatRanGiveTheFocusBackToTheCurrentRow) {
    OpenWith({{"Alpha", "", 0}, {"Apple", "", 0}, {"Avocado", "", 0}});
    SortBy(test::NameField);
    platform::SetDialogHook([](QDialog&) { return int(QDialog::Rejected); });
    const auto currentRow = [this] {
        return window->LeftPage()
            ->RowButtons()[static_cast<std::size_t>(window->Navigator()->CurrentRow())];
    };
    for (const char* command : {"Find", "Replace", "Password", "LoadDatabase", "Maintenance",
                                "Filter", "Export", "Import"}) {
        SCOPED_TRACE(command);
        ShowFirstOfA();
        window->RecordPage()->ShowRecordAt(1);
        ASSERT_EQ(window->Navigator()->CurrentRow(), 1);
        Find<QWidget>("L1")->setFocus();
        window->Commands().Run(QString::fromLatin1(command));
        EXPECT_EQ(window->focusWidget(), currentRow());
    }
    // A command the shown record stops leaves the focus where the record needs mending.
    window->RecordPage()->ShowRecordAt(1);
    messages.clear();
    TypeDate("02301999");
    window->Commands().Run(QStringLiteral("Filter"));
    EXPECT_EQ(Texts(), std::vector<std::string>{"Invalid Date!"});
    EXPECT_EQ(window->focusWidget(), Find<QWidget>("L8"));
    platform::SetDialogHook(nullptr);
}

} // namespace
} // namespace shelfwise::book
