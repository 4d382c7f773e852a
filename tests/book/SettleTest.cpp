#include "SortedBook.h"
#include "book/LetterBar.h"
#include "editors/DateEdit.h"
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
        window->Navigator()->LetterKey('A');
        window->RecordPage()->ShowRecordAt(0);
        ASSERT_EQ(Shown(), QStringLiteral("Alpha"));
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
        const std::string digits =
            "03" + QStringLiteral("%1").arg(day, 2, 10, QChar(u'0')).toStdString() + "1998";
        TypeDate(digits.c_str());
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

TEST_F(SettleTest, ALetterTabLeavesATypedDateInItsFieldForTheNextSave) {
    OpenWith({{"Alpha", "", 0}, {"Apple", "", 0}, {"Charlie", "", 0}});
    SortBy(test::NameField);
    window->Navigator()->LetterKey('A');
    window->RecordPage()->ShowRecordAt(0);
    const auto before = StoredDate("Alpha");
    QAbstractButton* tab = window->LetterBar()->Tab('C' - 'A');
    EXPECT_EQ(tab->focusPolicy(), Qt::NoFocus);
    TypeDate("02301999");
    tab->click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Find<editors::TDateEdit>("L8")->text(), QStringLiteral("02/30/1999"));
    EXPECT_EQ(StoredDate("Alpha"), before);
    // The next save meets the typed date and refuses it.
    EXPECT_FALSE(window->CommitRecord());
    EXPECT_EQ(Texts(), std::vector<std::string>{"Invalid Date!"});
    EXPECT_EQ(StoredDate("Alpha"), before);
}

} // namespace
} // namespace shelfwise::book
