#include "editors/DateEdit.h"

#include "editors/CalPop.h"
#include "platform/Beep.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace shelfwise::editors {
namespace {

using namespace std::chrono;

year_month_day On(int y, unsigned m, unsigned d) {
    return year_month_day{year(y), month(m), day(d)};
}

// A shown window with a date field and a plain field after it; messages and beeps are
// recorded instead of shown and heard.
class DateEditTest : public ::testing::Test {
protected:
    DateEditTest() {
        platform::SetMessageHook([this](const platform::Message& m) {
            messages.push_back(m.text);
            return platform::MessageAnswer::Ok;
        });
        platform::SetBeepHook([this] { ++beeps; });
        window.resize(400, 200);
        date->move(10, 10);
        other->move(10, 60);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        date->setFocus();
    }
    ~DateEditTest() override {
        platform::SetMessageHook(nullptr);
        platform::SetBeepHook(nullptr);
    }

    QWidget window;
    TDateEdit* date = new TDateEdit(&window);
    QLineEdit* other = new QLineEdit(&window);
    std::vector<std::string> messages;
    int beeps = 0;
};

TEST_F(DateEditTest, TypingFillsTheTemplateAndRefusesAllButDigits) {
    struct Case {
        const char* format;
        const char* keys;
        const char* shown;
        int caret;
        int beeps;
    };
    const Case cases[] = {
        {"mm/dd/yyyy", "03151998", "03/15/1998", 10, 0},
        {"mm/dd/yyyy", "03/15/1998", "03/15/1998", 10, 2},
        {"dd/mm/yyyy", "1503", "15/03/____", 6, 0},
        {"yyyy", "1998", "1998", 4, 0},
        {"yyyy", "19a98", "1998", 4, 1},
        {"mm/dd/yyyy", "0315199845", "03/15/1998", 10, 0},
        {"yy/mm/dd", "9803", "98/03/__", 6, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + c.keys);
        beeps = 0;
        date->SetDisplayFormat(QString::fromLatin1(c.format));
        date->Clear();
        QTest::keyClick(date, Qt::Key_Home);
        QTest::keyClicks(date, QString::fromLatin1(c.keys));
        EXPECT_EQ(date->text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(date->cursorPosition(), c.caret);
        EXPECT_EQ(beeps, c.beeps);
    }
}

TEST_F(DateEditTest, EditingKeysWorkOnThePlacesOfTheTemplate) {
    date->SetDate(On(1998, 3, 15));
    QTest::keyClick(date, Qt::Key_End);
    EXPECT_EQ(date->cursorPosition(), 10);
    QTest::keyClick(date, Qt::Key_Backspace);
    EXPECT_EQ(date->text(), QStringLiteral("03/15/199_"));
    QTest::keyClick(date, Qt::Key_Home);
    QTest::keyClick(date, Qt::Key_Right);
    QTest::keyClick(date, Qt::Key_Right);
    EXPECT_EQ(date->cursorPosition(), 3);
    QTest::keyClick(date, Qt::Key_Delete);
    EXPECT_EQ(date->text(), QStringLiteral("03/_5/199_"));
    EXPECT_EQ(date->cursorPosition(), 3);
    QTest::keyClick(date, Qt::Key_Backspace);
    EXPECT_EQ(date->text(), QStringLiteral("0_/_5/199_"));
    EXPECT_EQ(date->cursorPosition(), 1);
    QTest::keyClick(date, Qt::Key_Left);
    EXPECT_EQ(date->cursorPosition(), 0);
}

TEST_F(DateEditTest, PastedTextPassesTheSameFilterAsTypedText) {
    date->Clear();
    QApplication::clipboard()->setText(QStringLiteral("a0b3-15/19x98"));
    QTest::keyClick(date, Qt::Key_Home);
    QTest::keySequence(date, QKeySequence::Paste);
    EXPECT_EQ(date->text(), QStringLiteral("03/15/1998"));
    EXPECT_EQ(date->GetDate(), On(1998, 3, 15));
}

TEST_F(DateEditTest, AnInvalidDateIsRefusedOnLeavingAndOnSettling) {
    struct Case {
        const char* keys;
        bool valid;
    };
    const Case cases[] = {{"02301999", false}, {"0315", false}, {"03151998", true}, {"", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        messages.clear();
        date->Clear();
        date->setFocus();
        QTest::keyClick(date, Qt::Key_Home);
        QTest::keyClicks(date, QString::fromLatin1(c.keys));
        EXPECT_EQ(date->IsValid(), c.valid);
        EXPECT_EQ(date->Settle(), c.valid);
        QTest::keyClick(date, Qt::Key_Tab);
        const std::vector<std::string> refused{"Invalid Date!", "Invalid Date!"};
        EXPECT_EQ(messages, c.valid ? std::vector<std::string>{} : refused);
        EXPECT_EQ(QApplication::focusWidget(), c.valid ? static_cast<QWidget*>(other) : date);
    }
    // A message box taking the focus does not count as leaving.
    other->setFocus();
    EXPECT_EQ(messages.size(), 0u);
}

TEST_F(DateEditTest, ChangingTheFormatConvertsTheShownDate) {
    struct Case {
        const char* format;
        const char* shown;
    };
    const Case steps[] = {{"dd/mm/yyyy", "15/03/1998"},
                          {"yyyy/mm/dd", "1998/03/15"},
                          {"yyyy", "1998"},
                          // The year-only text was not retyped, so the whole date stays.
                          {"mm/dd/yyyy", "03/15/1998"}};
    date->SetDate(On(1998, 3, 15));
    for (const Case& c : steps) {
        date->SetDisplayFormat(QString::fromLatin1(c.format));
        EXPECT_EQ(date->text(), QString::fromLatin1(c.shown)) << c.format;
    }
    QTest::keyClick(date, Qt::Key_Home);
    QTest::keyClicks(date, QStringLiteral("13"));
    date->SetDisplayFormat(QStringLiteral("dd/mm/yyyy"));
    EXPECT_EQ(date->text(), QStringLiteral("__/__/____"));
}

TEST_F(DateEditTest, TheFieldsOwnMenuOffersTodayClearUndoAndTheFormats) {
    QSignalSpy chosen(date, &TDateEdit::FormatChosen);
    date->SetDate(On(1998, 3, 15));
    std::unique_ptr<QMenu> menu(date->CreateMenu());
    QStringList captions;
    for (const QAction* action : menu->actions()) {
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(captions, (QStringList{"&Undo", "&Today", "&Clear", "-", "&Font...", "C&olor...",
                                     "&Date Format", "-", "&Help"}));
    EXPECT_FALSE(menu->actions()[0]->isEnabled());
    menu->actions()[2]->trigger();
    EXPECT_TRUE(date->IsEmpty());
    menu.reset(date->CreateMenu());
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
    menu->actions()[0]->trigger();
    EXPECT_EQ(date->GetDate(), On(1998, 3, 15));
    QMenu* formats = menu->actions()[6]->menu();
    ASSERT_NE(formats, nullptr);
    QStringList formatCaptions;
    for (const QAction* action : formats->actions()) {
        formatCaptions << action->text();
    }
    EXPECT_EQ(formatCaptions, (QStringList{"MMDDYYYY", "DDMMYYYY", "YYYYMMDD", "YYYY"}));
    EXPECT_TRUE(formats->actions()[0]->isChecked());
    formats->actions()[1]->trigger();
    EXPECT_EQ(date->text(), QStringLiteral("15/03/1998"));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toInt(), 1);
    menu.reset(date->CreateMenu());
    EXPECT_TRUE(menu->actions()[6]->menu()->actions()[1]->isChecked());
    const QDate before = QDate::currentDate();
    menu->actions()[1]->trigger();
    EXPECT_EQ(date->text(), before.toString(QStringLiteral("dd/MM/yyyy")));
    date->HideFontAndColor();
    menu.reset(date->CreateMenu());
    EXPECT_FALSE(menu->actions()[4]->isVisible());
    EXPECT_FALSE(menu->actions()[5]->isVisible());
}

TEST_F(DateEditTest, AReadOnlyDateKeepsItsLookAndTakesNoInput) {
    date->SetDate(On(1998, 3, 15));
    const QPalette enabled = date->palette();
    date->SetRecordReadOnly(true);
    EXPECT_TRUE(date->IsRecordReadOnly());
    EXPECT_TRUE(date->isEnabled());
    EXPECT_EQ(date->palette(), enabled);
    QApplication::clipboard()->setText(QStringLiteral("01012000"));
    QTest::keyClick(date, Qt::Key_Home);
    QTest::keyClicks(date, QStringLiteral("0101"));
    QTest::keyClick(date, Qt::Key_Backspace);
    QTest::keySequence(date, QKeySequence::Paste);
    EXPECT_EQ(date->GetDate(), On(1998, 3, 15));
    std::unique_ptr<QMenu> menu(date->CreateMenu());
    for (int item : {0, 1, 2}) {
        EXPECT_FALSE(menu->actions()[item]->isEnabled()) << item;
    }
    date->SetRecordReadOnly(false);
    EXPECT_FALSE(date->IsRecordReadOnly());
    QTest::keyClick(date, Qt::Key_Home);
    QTest::keyClicks(date, QStringLiteral("0101"));
    EXPECT_EQ(date->GetDate(), On(1998, 1, 1));
}

TEST(DateFormatTest, ANewFieldTakesTheSystemsDateOrderAndSeparator) {
    const QLocale system;
    struct Case {
        const char* locale;
        const char* format;
        const char* empty;
    };
    const Case cases[] = {
        {"en_US", "mm/dd/yyyy", "__/__/____"}, {"de_DE", "dd/mm/yyyy", "__.__.____"},
        {"ja_JP", "yyyy/mm/dd", "____/__/__"}, {"nl_NL", "dd/mm/yyyy", "__-__-____"},
        {"C", "mm/dd/yyyy", "__/__/____"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        const TDateEdit date(nullptr);
        EXPECT_EQ(date.DisplayFormat(), QString::fromLatin1(c.format));
        EXPECT_EQ(date.text(), QString::fromLatin1(c.empty));
    }
    QLocale::setDefault(system);
}

TEST(CalendarTest, KeysMoveTheSelectedDayAndEnterChoosesIt) {
    struct Case {
        Qt::Key key;
        year_month_day selected;
    };
    const Case steps[] = {
        {Qt::Key_Right, On(2024, 2, 1)},    {Qt::Key_Left, On(2024, 1, 31)},
        {Qt::Key_PageDown, On(2024, 3, 2)}, {Qt::Key_Up, On(2024, 2, 24)},
        {Qt::Key_Down, On(2024, 3, 2)},     {Qt::Key_PageUp, On(2024, 2, 2)},
        {Qt::Key_Home, On(2025, 2, 2)},     {Qt::Key_End, On(2024, 2, 2)},
    };
    TCalendarPopup calendar(On(2024, 1, 31), nullptr);
    for (const Case& c : steps) {
        QTest::keyClick(&calendar, c.key);
        EXPECT_EQ(calendar.Selected(), c.selected) << c.key;
    }
    EXPECT_EQ(calendar.Chosen(), std::nullopt);
    QTest::keyClick(&calendar, Qt::Key_Return);
    EXPECT_EQ(calendar.result(), QDialog::Accepted);
    EXPECT_EQ(calendar.Chosen(), On(2024, 2, 2));

    TCalendarPopup left(On(2024, 1, 31), nullptr);
    QTest::keyClick(&left, Qt::Key_Down);
    QTest::keyClick(&left, Qt::Key_Escape);
    EXPECT_EQ(left.result(), QDialog::Rejected);
    EXPECT_EQ(left.Chosen(), std::nullopt);
}

TEST(CalendarTest, ClicksOnDaysArrowsAndButtonsChooseOrLeave) {
    TCalendarPopup calendar(On(2024, 3, 15), nullptr);
    calendar.show();
    EXPECT_EQ(calendar.width(), 21 * calendar.CellWidth() + 8);
    EXPECT_EQ(calendar.height(), 8 * calendar.RowHeight() + 28);
    // March 2024 begins on a Friday: the sixth column of the first week.
    EXPECT_EQ(calendar.DayRect(On(2024, 3, 1)).left(), 4 + 5 * 3 * calendar.CellWidth());
    EXPECT_TRUE(calendar.DayRect(On(2024, 4, 1)).isEmpty());
    QTest::mouseClick(&calendar, Qt::LeftButton, {}, calendar.NextMonthBox().center());
    EXPECT_EQ(calendar.Selected(), On(2024, 4, 15));
    QTest::mouseClick(&calendar, Qt::LeftButton, {}, calendar.PreviousMonthBox().center());
    EXPECT_EQ(calendar.Selected(), On(2024, 3, 15));
    QTest::mousePress(&calendar, Qt::LeftButton, {}, calendar.DayRect(On(2024, 3, 20)).center());
    EXPECT_EQ(calendar.Selected(), On(2024, 3, 20));
    EXPECT_EQ(calendar.Chosen(), std::nullopt);
    QTest::mouseRelease(&calendar, Qt::LeftButton, {}, calendar.DayRect(On(2024, 3, 20)).center());
    EXPECT_EQ(calendar.Chosen(), On(2024, 3, 20));

    TCalendarPopup today(On(2024, 3, 15), nullptr);
    const QDate before = QDate::currentDate();
    QTest::mouseClick(today.findChild<QToolButton*>(QStringLiteral("TodayBtn")), Qt::LeftButton);
    ASSERT_TRUE(today.Chosen());
    EXPECT_EQ(*today.Chosen(), text::FromQDate(before));

    TCalendarPopup cancel(On(2024, 3, 15), nullptr);
    QTest::mouseClick(cancel.findChild<QToolButton*>(QStringLiteral("CancelBtn")), Qt::LeftButton);
    EXPECT_EQ(cancel.result(), QDialog::Rejected);
    EXPECT_EQ(cancel.Chosen(), std::nullopt);
}

TEST_F(DateEditTest, TheCalendarIsAToolWindowOfTheFieldsWindowAndClosesWithIt) {
    const TCalendarPopup calendar(On(2024, 3, 15), date);
    EXPECT_EQ(calendar.parentWidget(), &window);
    EXPECT_EQ(calendar.windowType(), Qt::Tool);
    EXPECT_TRUE(calendar.windowFlags().testFlag(Qt::FramelessWindowHint));

    bool shown = false;
    bool stuck = false;
    QTimer::singleShot(0, &window, [&] {
        const auto open = window.findChildren<TCalendarPopup*>();
        shown = open.size() == 2 && open.back()->isVisible();
        window.close();
    });
    // Should closing the window leave the calendar open, this ends the wait instead of the test.
    QTimer::singleShot(5000, &window, [&] {
        for (TCalendarPopup* open : window.findChildren<TCalendarPopup*>()) {
            if (open != &calendar && open->isVisible()) {
                stuck = true;
                open->reject();
            }
        }
    });
    date->SetDate(On(1998, 3, 15));
    date->OpenCalendar();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(stuck);
    EXPECT_EQ(date->GetDate(), On(1998, 3, 15));
    EXPECT_EQ(window.findChildren<TCalendarPopup*>().size(), 1u);
}

TEST(CalendarTest, TheCalendarStaysOnTheScreenBesideItsField) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* what;
        QPoint field;
        bool rightEdge;
        bool above;
    };
    const Case cases[] = {
        {"room below", {screen.left() + 10, screen.top() + 10}, false, false},
        {"at the right edge", {screen.right() - 60, screen.top() + 10}, true, false},
        {"at the bottom", {screen.left() + 10, screen.bottom() - 30}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QLineEdit field;
        field.setWindowFlag(Qt::FramelessWindowHint);
        field.setGeometry(QRect(c.field, QSize(50, 22)));
        field.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
        TCalendarPopup calendar(On(2024, 3, 15), &field);
        calendar.PlaceUnder(field);
        const QPoint fieldAt = field.mapToGlobal(QPoint(0, 0));
        const QRect placed = calendar.geometry();
        if (c.rightEdge) {
            EXPECT_EQ(placed.right(), screen.right() - 1);
        } else {
            EXPECT_EQ(placed.left(), fieldAt.x());
        }
        if (c.above) {
            EXPECT_EQ(placed.bottom(), fieldAt.y() - 2);
        } else {
            EXPECT_EQ(placed.top(), fieldAt.y() + field.height() + 1);
        }
    }
}

} // namespace
} // namespace shelfwise::editors
