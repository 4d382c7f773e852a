#include "SortedBook.h"
#include "book/BookMenus.h"
#include "book/Colors.h"
#include "book/NavigationKeys.h"
#include "book/NavigationRules.h"
#include "book/RightPage.h"
#include "book/ViewOptionsMenu.h"
#include "settings/SettingsFiles.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QTest>
#include <functional>

namespace shelfwise::book {
namespace {

using Command = void (TNavigator::*)();

TEST(NavigationRulesTest, TheLastPageIsNeverEmpty) {
    EXPECT_EQ(LastPageStart(0, 10), 0);
    EXPECT_EQ(LastPageStart(7, 10), 0);
    EXPECT_EQ(LastPageStart(20, 10), 10);
    EXPECT_EQ(LastPageStart(21, 10), 20);
}

TEST(NavigationRulesTest, PositionLabels) {
    struct Case {
        int position, count;
        bool newRecord;
        const char* pgr;
        const char* perc;
    };
    const Case cases[] = {
        {1, 3, false, "1", "33%"},  {2, 3, false, "2", "67%"},
        {3, 3, false, "3", "100%"}, {1, 8, false, "1", "12%"},  // 12.5: ties go to even
        {3, 8, false, "3", "38%"},  {1, 200, false, "1", "0%"}, // 0.5
        {3, 200, false, "3", "2%"}, {0, 0, false, "0", "100%"}, // an empty range
        {4, 3, true, "", "100%"},   {1234567, 2000000, false, "123456", "62%"},
    };
    for (const Case& c : cases) {
        const PositionTexts texts = PositionLabelTexts(c.position, c.count, c.newRecord);
        EXPECT_EQ(texts.Position, QString::fromLatin1(c.pgr)) << c.position << "/" << c.count;
        EXPECT_EQ(texts.Percent, QString::fromLatin1(c.perc)) << c.position << "/" << c.count;
    }
}

TEST(NavigationRulesTest, EnabledCommands) {
    PagingInput plain;
    plain.RowsPerPage = 10;
    plain.RangeCount = 20;
    plain.RecordPosition = 1;
    struct Case {
        const char* what;
        PagingInput in;
        PagingCommands expected; // First, PageUp, PageDown, Last, Previous, Next
    };
    const auto with = [&plain](auto change) {
        PagingInput in = plain;
        change(in);
        return in;
    };
    const Case cases[] = {
        {"first page, first record", plain, {false, false, true, true, false, true}},
        {"last page, last record",
         with([](PagingInput& in) {
             in.PageStart = 10;
             in.RecordPosition = 20;
         }),
         {true, true, false, false, true, false}},
        {"new record",
         with([](PagingInput& in) {
             in.NewRecord = true;
             in.RecordPosition = 21;
         }),
         {false, false, true, true, true, true}},
        {"letter C, one page, first record of C after empty letters",
         with([](PagingInput& in) {
             in.LettersActive = true;
             in.CurrentLetter = 'C';
             in.RangeCount = 5;
             in.RecordLetter = 'C';
             in.RecordLetterCount = 5;
             in.LaterLetterHasRecords = true;
         }),
         {false, true, true, false, false, true}},
        {"letter Z, last record, no later letter",
         with([](PagingInput& in) {
             in.LettersActive = true;
             in.CurrentLetter = 'Z';
             in.RangeCount = 3;
             in.RecordLetter = 'Z';
             in.RecordLetterCount = 3;
             in.RecordPosition = 3;
             in.EarlierLetterHasRecords = true;
         }),
         {false, true, false, false, true, false}},
        {"read-only and empty",
         with([](PagingInput& in) {
             in.RangeCount = 0;
             in.NewRecord = true;
             in.ReadOnlyAndEmpty = true;
         }),
         {false, false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        const PagingCommands got = EnabledPagingCommands(c.in);
        const auto& e = c.expected;
        EXPECT_EQ(
            (std::array{got.First, got.PageUp, got.PageDown, got.Last, got.Previous, got.Next}),
            (std::array{e.First, e.PageUp, e.PageDown, e.Last, e.Previous, e.Next}))
            << c.what;
    }
}

TEST(NavigationKeysTest, ModifiersMustMatchExactly) {
    const auto ctrl = Qt::ControlModifier;
    const auto alt = Qt::AltModifier;
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        NavigationKey command;
    };
    const Case cases[] = {
        {Qt::Key_Home, ctrl, NavigationKey::FirstPage},
        {Qt::Key_PageUp, ctrl, NavigationKey::PreviousPage},
        {Qt::Key_PageDown, ctrl | Qt::KeypadModifier, NavigationKey::NextPage},
        {Qt::Key_End, ctrl, NavigationKey::LastPage},
        {Qt::Key_PageUp, alt, NavigationKey::PreviousRecord},
        {Qt::Key_PageDown, alt, NavigationKey::NextRecord},
        {Qt::Key_Y, alt, NavigationKey::Synchronize},
        {Qt::Key_K, ctrl | alt, NavigationKey::Letter},
        {Qt::Key_1, ctrl | alt, NavigationKey::None},
        {Qt::Key_K, ctrl | alt | Qt::ShiftModifier, NavigationKey::None},
        {Qt::Key_Home, ctrl | Qt::ShiftModifier, NavigationKey::None},
        {Qt::Key_PageDown, Qt::NoModifier, NavigationKey::None},
        {Qt::Key_Y, ctrl, NavigationKey::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NavigationKeyOf(c.key, c.modifiers), c.command) << c.key;
    }
}

// Counts the key presses, other than Ctrl and Alt themselves, that reach a widget.
class KeyCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // The modifier keys themselves arrive too.
            presses += key != Qt::Key_Control && key != Qt::Key_Alt ? 1 : 0;
        }
        return false;
    }
    int presses = 0;
};

QString Numbered(const char* word, int n) {
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(word)).arg(n, 2, 10, QLatin1Char('0'));
}

// Letters A (1 record), B (two full pages), C and D empty, E (a page and one), Y (2), Z (1).
class NavigationTest : public test::SortedBook {
protected:
    void OpenLetters() {
        Open();
        const int rows = Rows();
        Close();
        std::vector<test::Title> titles = {{"Alpha", "", 0}, {"Zulu", "", 0}};
        for (int i = 0; i < 2 * rows; ++i) {
            titles.push_back({Numbered("Bravo", i).toStdString(), "", 0});
        }
        for (int i = 0; i <= rows; ++i) {
            titles.push_back({Numbered("Echo", i).toStdString(), "", 0});
        }
        titles.push_back({"Yankee 1", "", 0});
        titles.push_back({"yankee 0", "", 0});
        OpenWith(titles);
        SortBy(test::NameField);
    }
    TNavigator& Nav() const { return *window->Navigator(); }
    bool Enabled(const char* button) const { return Find<QAbstractButton>(button)->isEnabled(); }
    QString Percent() const { return window->RightPage()->PercentLabel()->text(); }
};

TEST_F(NavigationTest, PagingRunsOnIntoTheNeighbouringLetters) {
    OpenLetters();
    const int r = Rows();
    ASSERT_EQ(Shown(), QStringLiteral("Alpha"));
    ASSERT_EQ(Listed(), QStringList{"Alpha"});
    struct Step {
        Command command;
        char letter;
        int start;
        QString first; // first listed name; empty for an empty page
    };
    const Step steps[] = {
        {&TNavigator::PreviousPage, 'A', 0, "Alpha"}, // nothing before "A"
        {&TNavigator::NextPage, 'B', 0, Numbered("Bravo", 0)},
        {&TNavigator::NextPage, 'B', r, Numbered("Bravo", r)},
        {&TNavigator::NextPage, 'C', 0, ""},
        // Back onto a full last page: it starts a page before the count.
        {&TNavigator::PreviousPage, 'B', r, Numbered("Bravo", r)},
        {&TNavigator::NextPage, 'C', 0, ""},
        {&TNavigator::NextPage, 'D', 0, ""},
        {&TNavigator::PreviousPage, 'C', 0, ""}, // an empty letter is not skipped
        {&TNavigator::NextPage, 'D', 0, ""},
        {&TNavigator::NextPage, 'E', 0, Numbered("Echo", 0)},
        {&TNavigator::LastPage, 'E', r, Numbered("Echo", r)},
        {&TNavigator::LastPage, 'E', r, Numbered("Echo", r)},
        {&TNavigator::FirstPage, 'E', 0, Numbered("Echo", 0)},
        {&TNavigator::PreviousPage, 'D', 0, ""},
    };
    for (const Step& step : steps) {
        (Nav().*step.command)();
        EXPECT_EQ(Nav().CurrentLetter(), step.letter) << step.first.toStdString();
        EXPECT_EQ(SelectedTab(), step.letter);
        EXPECT_EQ(window->Navigator()->PageStart(), step.start);
        EXPECT_EQ(Listed().value(0), step.first);
    }
    Nav().LetterKey('Y');
    EXPECT_EQ(Listed(), (QStringList{"yankee 0", "Yankee 1"}));
    Nav().NextPage();
    EXPECT_EQ(Listed(), QStringList{"Zulu"});
    EXPECT_FALSE(Enabled("B_PgDn"));
    Nav().NextPage();
    EXPECT_EQ(Nav().CurrentLetter(), 'Z');
    // Paging never changes the shown record.
    EXPECT_EQ(Shown(), QStringLiteral("Alpha"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(NavigationTest, WithoutLetterTabsPagingStopsAtTheEnds) {
    settings.LetterTabs = settings::opt::LetterTabs::DontUse;
    Open();
    const int r = Rows();
    Close();
    std::vector<test::Title> titles;
    for (int i = 0; i < 2 * r; ++i) {
        titles.push_back({Numbered("Title", i).toStdString(), "", 0});
    }
    OpenWith(titles);
    SortBy(test::NameField);
    EXPECT_FALSE(window->LetterBar()->Tab(0)->isEnabled());
    EXPECT_FALSE(Enabled("B_First"));
    EXPECT_FALSE(Enabled("B_PgUp"));
    EXPECT_FALSE(window->Commands().Item(QStringLiteral("PageUp1"))->isEnabled());
    Nav().NextPage();
    EXPECT_EQ(Listed().value(0), Numbered("Title", r));
    EXPECT_EQ(Listed().size(), r);
    EXPECT_FALSE(Enabled("B_PgDn"));
    EXPECT_FALSE(Enabled("B_Last"));
    EXPECT_FALSE(window->Commands().Item(QStringLiteral("Last1"))->isEnabled());
    Nav().NextPage();
    EXPECT_EQ(window->Navigator()->PageStart(), r);
    Nav().FirstPage();
    Nav().LastPage();
    EXPECT_EQ(window->Navigator()->PageStart(), r);
    EXPECT_TRUE(Enabled("B_First"));
    EXPECT_TRUE(Enabled("B_PgUp"));

    // Stepping: held at both ends.
    EXPECT_FALSE(Enabled("B_Prev"));
    Nav().PreviousRecord();
    EXPECT_EQ(Shown(), Numbered("Title", 0));
    Nav().NextRecord();
    EXPECT_EQ(Shown(), Numbered("Title", 1));
    EXPECT_TRUE(Enabled("B_Prev"));
    window->RecordPage()->ShowRecordAt(2 * r - 1);
    EXPECT_FALSE(Enabled("B_Next"));
    EXPECT_EQ(Percent(), QStringLiteral("100%"));
    Nav().NextRecord();
    EXPECT_EQ(Shown(), Numbered("Title", 2 * r - 1));
    EXPECT_FALSE(window->RecordPage()->NewRecord());
}

TEST_F(NavigationTest, SteppingCrossesIntoTheNextLetterHoldingRecords) {
    OpenLetters();
    const int r = Rows();
    // At the very first record nothing comes before it.
    EXPECT_FALSE(Enabled("B_Prev"));
    Nav().PreviousRecord();
    EXPECT_EQ(Shown(), QStringLiteral("Alpha"));
    Nav().NextRecord();
    EXPECT_EQ(Shown(), Numbered("Bravo", 0));
    EXPECT_EQ(Listed(), QStringList{"Alpha"}); // the left page stays on "A"
    EXPECT_EQ(window->RightPage()->PositionLabel()->text(), QStringLiteral("1"));
    Nav().PreviousRecord();
    EXPECT_EQ(Shown(), QStringLiteral("Alpha"));

    // The last record of "B": "C" and "D" are empty, so the next is the first of "E".
    Nav().LetterKey('B');
    window->RecordPage()->ShowRecordAt(2 * r - 1);
    Nav().NextRecord();
    EXPECT_EQ(Shown(), Numbered("Echo", 0));
    // Its position counts within its own letter, not within the list's.
    EXPECT_EQ(Percent(), PositionLabelTexts(1, r + 1, false).Percent);
    EXPECT_NE(Percent(), PositionLabelTexts(1, 2 * r, false).Percent);
    EXPECT_EQ(SelectedTab(), 'B');
    EXPECT_EQ(Listed().value(0), Numbered("Bravo", 0));
    EXPECT_EQ(window->Navigator()->CurrentRow(), -1);
    Nav().PreviousRecord();
    EXPECT_EQ(Shown(), Numbered("Bravo", 2 * r - 1));
    Nav().NextRecord();
    Nav().NextRecord();
    EXPECT_EQ(Shown(), Numbered("Echo", 1));
    EXPECT_EQ(window->RightPage()->PositionLabel()->text(), QStringLiteral("2"));

    // Synchronize brings the left page to the record: its letter and its page.
    window->RecordPage()->ShowRecordAt(0);
    Nav().LetterKey('E');
    window->RecordPage()->ShowRecordAt(r);
    Nav().LetterKey('A');
    Nav().Synchronize();
    EXPECT_EQ(SelectedTab(), 'E');
    EXPECT_EQ(Nav().CurrentLetter(), 'E');
    EXPECT_EQ(window->Navigator()->PageStart(), r);
    EXPECT_EQ(window->Navigator()->CurrentRow(), 0);
    EXPECT_EQ(Listed().value(0), Numbered("Echo", r));

    // The last record of the last letter holding records.
    Nav().LetterKey('Z');
    window->RecordPage()->ShowRecordAt(0);
    EXPECT_FALSE(Enabled("B_Next"));
    EXPECT_FALSE(window->Commands().Item(QStringLiteral("Next1"))->isEnabled());
    Nav().NextRecord();
    EXPECT_EQ(Shown(), QStringLiteral("Zulu"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(NavigationTest, PositionLabelsOfARangeOfThree) {
    OpenWith({{"One", "", 0}, {"Two", "", 0}, {"Three", "", 0}});
    QLabel* pgr = window->RightPage()->PositionLabel();
    const char* percents[] = {"33%", "67%", "100%"};
    for (int i = 0; i < 3; ++i) {
        window->RecordPage()->ShowRecordAt(i);
        EXPECT_EQ(pgr->text(), QString::number(i + 1));
        EXPECT_EQ(Percent(), QString::fromLatin1(percents[i]));
    }
    window->RecordPage()->ShowRecordAt(3);
    ASSERT_TRUE(window->RecordPage()->NewRecord());
    EXPECT_EQ(pgr->text(), QString());
    EXPECT_EQ(Percent(), QStringLiteral("100%"));
    EXPECT_TRUE(Enabled("B_Prev"));
    EXPECT_TRUE(Enabled("B_Next"));
}

TEST_F(NavigationTest, LetterCountsFollowNewAndRenamedRecords) {
    OpenLetters();
    const int r = Rows();
    const auto& c = settings.Colors;
    const auto colour = [&c](settings::Element e) { return ElementColor(c, e); };
    const auto tab = [this](char letter) { return window->LetterBar()->Tab(letter - 'A'); };
    EXPECT_EQ(tab('D')->TextColor(), colour(settings::Element::EmptyTabText));
    EXPECT_EQ(tab('D')->BackgroundColor(), colour(settings::Element::EmptyTabBackground));
    EXPECT_EQ(tab('E')->TextColor(), colour(settings::Element::FilledTabText));
    EXPECT_EQ(window->Database().Index.LetterCount('E'), r + 1);

    // A new record in "A" that belongs to "D".
    window->RecordPage()->ShowRecordAt(1);
    ASSERT_TRUE(window->RecordPage()->NewRecord());
    Find<QLineEdit>("L1")->setText(QStringLiteral("Delta"));
    window->RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(window->Database().Index.LetterCount('D'), 1);
    EXPECT_EQ(tab('D')->TextColor(), colour(settings::Element::FilledTabText));
    EXPECT_EQ(tab('D')->BackgroundColor(), colour(settings::Element::FilledTabBackground));

    // "Echo 00" renamed to "Charlie": from "E" to "C".
    Nav().LetterKey('E');
    window->RecordPage()->ShowRecordAt(0);
    Find<QLineEdit>("L1")->setText(QStringLiteral("Charlie"));
    window->RecordPage()->ShowRecordAt(1);
    EXPECT_EQ(window->Database().Index.LetterCount('E'), r);
    EXPECT_EQ(window->Database().Index.LetterCount('C'), 1);
    EXPECT_EQ(tab('C')->TextColor(), colour(settings::Element::FilledTabText));
    Nav().LetterKey('C');
    EXPECT_EQ(Listed(), QStringList{"Charlie"});
}

TEST_F(NavigationTest, LetterTabsSwitchOffAndOn) {
    OpenLetters();
    Nav().LetterKey('E');
    const auto choose = [this](const char* name) {
        window->ViewOptions()->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    };
    choose("Disabled1");
    EXPECT_EQ(settings.LetterTabs, settings::opt::LetterTabs::DontUse);
    // Stored at once, not when the window ends.
    const auto stored = [this] {
        settings::Settings read = settings;
        settings::ReadUiOptions(read);
        return read;
    };
    EXPECT_EQ(stored().LetterTabs, settings::opt::LetterTabs::DontUse);
    for (int i = 0; i < LetterCount; ++i) {
        EXPECT_FALSE(window->LetterBar()->Tab(i)->isEnabled());
    }
    EXPECT_FALSE(window->LetterBar()->isHidden());
    EXPECT_EQ(Listed().value(0), QStringLiteral("Alpha"));
    EXPECT_EQ(Listed().value(1), Numbered("Bravo", 0));
    choose("Enabled1");
    EXPECT_TRUE(window->LetterBar()->Tab(0)->isEnabled());
    EXPECT_EQ(SelectedTab(), 'A');
    EXPECT_EQ(Listed(), QStringList{"Alpha"});
    EXPECT_EQ(window->Database().Index.LetterCount('B'), 2 * Rows());

    // Another copy's later change survives this window's end.
    settings::Settings other = stored();
    ASSERT_EQ(other.LetterTabs, settings::opt::LetterTabs::Use);
    other.SpeedBarLocation = settings::opt::SpeedBarLocation::Top;
    ASSERT_TRUE(settings::SaveUiOptions(other));
    Close();
    EXPECT_EQ(stored().SpeedBarLocation, settings::opt::SpeedBarLocation::Top);
    EXPECT_EQ(stored().LetterTabs, settings::opt::LetterTabs::Use);
}

// The switch changes the range under the shown record: the book starts again at the first
// record, and stepping goes on from there in the new range.
TEST_F(NavigationTest, SteppingAfterTheLetterTabSwitchFollowsTheNewRange) {
    const auto choose = [this](const char* name) {
        window->ViewOptions()->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    };
    struct Case {
        const char* what;
        bool startWithTabs;
        std::function<void(int rows)> before; // shows the record the switch starts from
        const char* choice;
        int stored; // records the switch stored
    };
    const Case cases[] = {
        {"off from a record of E", true,
         [this](int) {
             Nav().LetterKey('E');
             window->RecordPage()->ShowRecordAt(0);
         },
         "Disabled1", 0},
        {"on from a record deep in the whole list", false,
         [this](int) { window->RecordPage()->ShowRecordAt(5); }, "Enabled1", 0},
        {"off from a new record of E", true,
         [this](int rows) {
             Nav().LetterKey('E');
             window->RecordPage()->ShowRecordAt(rows + 1);
             Find<QLineEdit>("L1")->setText(QStringLiteral("Echo new"));
         },
         "Disabled1", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings.LetterTabs =
            c.startWithTabs ? settings::opt::LetterTabs::Use : settings::opt::LetterTabs::DontUse;
        OpenLetters();
        const int rows = Rows();
        const auto before = OpenData()->recordCount();
        c.before(rows);
        choose(c.choice);
        EXPECT_EQ(Shown(), QStringLiteral("Alpha"));
        EXPECT_FALSE(window->RecordPage()->NewRecord());
        EXPECT_EQ(window->RightPage()->PositionLabel()->text(), QStringLiteral("1"));
        Nav().NextRecord();
        EXPECT_EQ(Shown(), Numbered("Bravo", 0));
        Nav().NextRecord();
        EXPECT_EQ(Shown(), Numbered("Bravo", 1));
        Nav().PreviousRecord();
        EXPECT_EQ(Shown(), Numbered("Bravo", 0));
        EXPECT_EQ(OpenData()->recordCount(), before + c.stored);
        Close();
        std::filesystem::remove_all(dataDir);
        std::filesystem::create_directories(dataDir);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(NavigationTest, KeysReachTheCommandsBeforeTheFocusedEditor) {
    OpenLetters();
    window->activateWindow();
    QLineEdit* name = Find<QLineEdit>("L1");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Nav().CurrentLetter(), 'E');
    QTest::keyClick(name, Qt::Key_PageDown, Qt::AltModifier);
    EXPECT_EQ(Shown(), Numbered("Bravo", 0));
    QTest::keyClick(name, Qt::Key_Y, Qt::AltModifier);
    EXPECT_EQ(Nav().CurrentLetter(), 'B');
    QTest::keyClick(name, Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->Navigator()->PageStart(), 0);
    QTest::keyClick(name, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(window->Navigator()->PageStart(), Rows());
    QTest::keyClick(name, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(window->Navigator()->PageStart(), 0);
    EXPECT_EQ(name->text(), Numbered("Bravo", 0));

    // Without letter tabs the letter keys are swallowed: the editor never sees them.
    window->ViewOptions()->findChild<QAction*>(QStringLiteral("Disabled1"))->trigger();
    KeyCounter reached;
    name->installEventFilter(&reached);
    QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(reached.presses, 0);
    EXPECT_EQ(Nav().CurrentLetter(), 'A');
    QTest::keyClick(name, Qt::Key_1, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(reached.presses, 1); // not a letter: passed on
    name->removeEventFilter(&reached);
}

} // namespace
} // namespace shelfwise::book
