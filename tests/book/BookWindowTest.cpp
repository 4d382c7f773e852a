#include "BookFixture.h"
#include "book/BookFrame.h"
#include "book/HotButton.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/RecordFields.h"
#include "book/RecordPage.h"
#include "book/RightPage.h"
#include "book/SortCommands.h"
#include "book/SpeedBar.h"
#include "book/Splitter.h"
#include "book/ViewOptionsMenu.h"
#include "db/RecordSchema.h"
#include "settings/SettingsFiles.h"

#include <QCursor>
#include <QEnterEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <memory>
#include <sys/inotify.h>
#include <unistd.h>

namespace shelfwise::book {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::WriteBytes;

class BookWindowTest : public test::BookFixture {
protected:
    int LeftWidth() const { return window->LeftPage()->width(); }
    int RightWidth() const { return window->RightPage()->width(); }

    void Drag(QWidget* widget, QPoint from, QPoint to) {
        QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(widget, (from + to) / 2);
        QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, to);
    }
};

TEST_F(BookWindowTest, OpensAtTheDesignedSizeWithEveryElementNamed) {
    auto& w = Open();
    EXPECT_EQ(w.size(), QSize(638, 519));
    for (const char* name : {"PageControl1",  "TabSheet1",    "TabSheet2",
                             "Panel1",        "SortButton1",  "QuorvanHeader1",
                             "Panel6",        "B_First",      "B_PgUp",
                             "SponsorBtn",    "B_PgDn",       "B_Last",
                             "Panel7",        "Panel9",       "Panel5",
                             "Panel8",        "SpeedButton1", "SpeedButton2",
                             "PgRight",       "RStatus",      "Panel10",
                             "TemplateBtn",   "Notebook1",    "Part1",
                             "Part4",         "PgR1",         "PgR4",
                             "Panel2",        "PgR_Lbl",      "Perc_Lbl",
                             "B_RSynchro",    "B_RPaste",     "B_Prev",
                             "B_Next",        "Splitter",     "MainMenu1",
                             "PopupMenu1",    "PopupMenu2",   "PopupMenu3",
                             "TemplateRMenu", "L1",           "L24"}) {
        EXPECT_NE(Find<QObject>(name), nullptr) << name;
    }
    for (int i = 1; i <= 26; ++i) {
        EXPECT_NE(Find<QObject>(qPrintable(QStringLiteral("ColorButton%1").arg(i))), nullptr);
    }
    EXPECT_EQ(w.SpeedBar()->StandardButtons().size(), 9u);
    EXPECT_EQ(w.SpeedBar()->AdvancedButtons().back()->objectName(), QStringLiteral("B_Summary"));
    EXPECT_EQ(w.Fields()->Editors().size(), 24u);
    EXPECT_EQ(w.Frame()->MinRightPageWidth(), 230);
    // The designed captions become the field labels when none were saved.
    ASSERT_EQ(settings.FieldLabels.size(), 24u);
    EXPECT_EQ(settings.FieldLabels[1], "Producer:");
    EXPECT_EQ(w.LeftPage()->Header()->count(), 2);
    // The window starts at the top right of the screen.
    EXPECT_EQ(w.y(), 1);
    EXPECT_EQ(w.x(), QGuiApplication::primaryScreen()->geometry().width() - 638);
}

TEST_F(BookWindowTest, SizeSnapsBackTo400By300) {
    auto& w = Open();
    w.resize(300, 200);
    EXPECT_EQ(w.height(), 300);
    // At 400 wide the pages would not fit: the layout pass widens the window to the narrowest
    // left page, letter bar and right page.
    EXPECT_EQ(w.width(), 180 + 24 + 230);
    w.resize(700, 250);
    EXPECT_EQ(w.size(), QSize(700, 300));
}

TEST_F(BookWindowTest, RightPageGivesWayThenTheWindowWidens) {
    auto& w = Open();
    ASSERT_EQ(RightWidth(), 280);
    w.resize(470, 519);
    EXPECT_EQ(LeftWidth(), 180);
    EXPECT_EQ(RightWidth(), 470 - 24 - 180);

    w.resize(420, 519);
    EXPECT_EQ(RightWidth(), 230);
    EXPECT_EQ(LeftWidth(), 180);
    EXPECT_EQ(w.width(), 180 + 24 + 230);
}

TEST_F(BookWindowTest, SplitterDragIsClampedToBothPages) {
    auto& w = Open();
    TSplitter* splitter = w.Splitter();
    const QPoint centre(splitter->width() / 2, splitter->height() / 2);

    Drag(splitter, centre, centre + QPoint(-40, 0));
    EXPECT_EQ(RightWidth(), 320);
    EXPECT_EQ(w.Splitter()->x(), w.RightPage()->x() - 5 - 12);

    Drag(splitter, centre, centre + QPoint(-1000, 0));
    EXPECT_EQ(LeftWidth(), 180);
    EXPECT_EQ(w.width(), 638);

    Drag(splitter, centre, centre + QPoint(1000, 0));
    EXPECT_EQ(RightWidth(), 230);
    EXPECT_EQ(LeftWidth(), 638 - 24 - 230);
}

TEST_F(BookWindowTest, SpeedBarButtonsLoseAndRegainTheirCaptions) {
    auto& w = Open();
    const auto captioned = [&w](bool shown) {
        for (const auto* sheet :
             {&w.SpeedBar()->StandardButtons(), &w.SpeedBar()->AdvancedButtons()}) {
            for (const THotBtn* button : *sheet) {
                if (button->CaptionShown() != shown || button->text().isEmpty() == shown) {
                    return false;
                }
            }
        }
        return true;
    };
    ASSERT_TRUE(captioned(true));
    auto* exit = qobject_cast<THotBtn*>(w.Commands().Button(QStringLiteral("B_Exit")));
    ASSERT_NE(exit, nullptr);
    const int captionedWidth = exit->width();

    w.resize(400, 519);
    EXPECT_TRUE(captioned(false));
    EXPECT_EQ(exit->width(), exit->height());

    // Squares fit here, captions do not: they stay squares.
    w.resize(500, 519);
    EXPECT_TRUE(captioned(false));

    w.resize(638, 519);
    EXPECT_TRUE(captioned(true));
    EXPECT_EQ(exit->width(), captionedWidth);
    EXPECT_EQ(exit->text(), QStringLiteral("Exit"));
}

TEST(HotButtonTest, ADisabledButtonStaysGreyAfterThePointerPassed) {
    const QColor grey = QToolButton().palette().color(QPalette::Disabled, QPalette::ButtonText);
    ASSERT_NE(grey, QColor(Qt::black));
    THotBtn hot(QStringLiteral("B_Find"), QStringLiteral("Find"), QIcon(), nullptr);
    THotSpeedBtn speed(QStringLiteral("TemplateBtn"), nullptr);
    for (QToolButton* button : std::initializer_list<QToolButton*>{&hot, &speed}) {
        const auto pass = [button] {
            QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
            QApplication::sendEvent(button, &enter);
            QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(button, &move);
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(button, &leave);
        };
        button->setEnabled(true);
        pass();
        button->setEnabled(false);
        EXPECT_EQ(button->palette().color(QPalette::Disabled, QPalette::ButtonText), grey)
            << button->objectName().toStdString();
        pass();
        EXPECT_EQ(button->palette().color(QPalette::Disabled, QPalette::ButtonText), grey)
            << button->objectName().toStdString();
        EXPECT_EQ(button->palette().color(QPalette::Active, QPalette::ButtonText),
                  QColor(Qt::black));
    }
}

// True when the button's picture shows red caption pixels.
bool ShowsRed(QWidget& button) {
    const QImage image = button.grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 90 && c.blue() < 90) {
                return true;
            }
        }
    }
    return false;
}

TEST(HotButtonTest, TheCaptionIsRedWhileThePointerIsOverAndBlackOnceItLeft) {
    enum Step { Enter, Move, Leave, PointerInside, PointerOutside, WaitForTimer, Disable };
    const struct {
        const char* Case;
        bool Speed; // the template chooser's button, else a speed bar button
        std::vector<Step> Steps;
        bool Red;
    } cases[] = {
        {"enters", false, {Enter}, true},
        {"enters and leaves", false, {Enter, Leave}, false},
        {"left unseen, the timer fires", false, {Enter, PointerOutside, WaitForTimer}, false},
        {"still inside when the timer fires", false, {Enter, PointerInside, WaitForTimer}, true},
        {"disabled", false, {Disable, Enter}, false},
        {"chooser: moves over it", true, {Enter, Move}, true},
        {"chooser: enters without moving", true, {Enter}, false},
        {"chooser: moves and leaves", true, {Enter, Move, Leave}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        std::unique_ptr<QToolButton> button;
        if (c.Speed) {
            button = std::make_unique<THotSpeedBtn>(QStringLiteral("TemplateBtn"), nullptr);
            button->setText(QStringLiteral("Blank"));
        } else {
            button = std::make_unique<THotBtn>(QStringLiteral("B_Search"), QStringLiteral("Find"),
                                               QIcon(), nullptr);
        }
        button->resize(80, 24);
        // Away from the pointer, so only the events below reach the button.
        button->move(QCursor::pos() + QPoint(200, 200));
        button->show();
        ASSERT_FALSE(ShowsRed(*button));
        for (const Step step : c.Steps) {
            switch (step) {
            case Enter: {
                QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
                QApplication::sendEvent(button.get(), &enter);
                break;
            }
            case Move: {
                QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton,
                                 Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(button.get(), &move);
                break;
            }
            case Leave: {
                QEvent leave(QEvent::Leave);
                QApplication::sendEvent(button.get(), &leave);
                break;
            }
            case PointerInside:
            case PointerOutside:
                button->setAttribute(Qt::WA_UnderMouse, step == PointerInside);
                break;
            case WaitForTimer:
                QTest::qWait(700);
                break;
            case Disable:
                button->setEnabled(false);
                break;
            }
        }
        EXPECT_EQ(button->palette().color(QPalette::Active, QPalette::ButtonText),
                  QColor(c.Red ? Qt::red : Qt::black));
        EXPECT_EQ(ShowsRed(*button), c.Red);
    }
}

TEST_F(BookWindowTest, HotButtonCaptionsStartBlackWhateverTheirPagesTextColour) {
    settings.Colors[settings::Element::LabelText] = 5; // red
    auto& w = Open();
    std::vector<QToolButton*> hot;
    for (auto* button : w.findChildren<THotBtn*>()) {
        hot.push_back(button);
    }
    hot.push_back(w.RightPage()->TemplateButton());
    // Speed bar, paging buttons and the template chooser.
    EXPECT_GE(hot.size(), 16u + 4u + 1u);
    for (QToolButton* button : hot) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_EQ(button->palette().color(QPalette::Active, QPalette::ButtonText),
                  QColor(Qt::black));
    }
    EXPECT_FALSE(ShowsRed(*w.RightPage()->TemplateButton()));
}

TEST_F(BookWindowTest, LowWindowGivesFourteenPixelTabsAndScrollsThem) {
    auto& w = Open();
    w.resize(638, 300);
    TLetterBar* bar = w.LetterBar();
    EXPECT_EQ(bar->Tab(0)->height(), 14);
    EXPECT_EQ(bar->Tab(1)->y(), 13);
    EXPECT_TRUE(bar->ScrollDownButton()->isEnabled());
    EXPECT_FALSE(bar->ScrollUpButton()->isEnabled());

    QTest::mouseClick(bar->ScrollDownButton(), Qt::LeftButton);
    EXPECT_EQ(bar->Tab(0)->y(), -13);
    EXPECT_TRUE(bar->ScrollUpButton()->isEnabled());

    w.resize(638, 900);
    EXPECT_EQ(bar->Tab(0)->y(), 0);
    EXPECT_GT(bar->Tab(0)->height(), 14);
    EXPECT_FALSE(bar->ScrollDownButton()->isEnabled());
}

TEST_F(BookWindowTest, WindowPlacementFileCases) {
    const auto wnd = dataDir / "wnd.dat";
    {
        WriteBytes(wnd, Bytes(20, 0));
        Open();
        EXPECT_TRUE(window->isMaximized());
        Close();
        EXPECT_EQ(ReadBytes(wnd), Bytes(20, 0));
    }
    {
        // Width 0 with height 300 is no usable placement.
        WriteBytes(wnd, Bytes{5, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0, 44, 1, 0, 0, 44, 1, 0, 0});
        auto& w = Open();
        EXPECT_FALSE(w.isMaximized());
        EXPECT_EQ(w.size(), QSize(638, 519));
        EXPECT_EQ(w.y(), 1);
        Close();
    }
    {
        // top 20, left 30, 700 x 500, right page 300
        WriteBytes(wnd,
                   Bytes{20, 0, 0, 0, 30, 0, 0, 0, 0xBC, 2, 0, 0, 0xF4, 1, 0, 0, 0x2C, 1, 0, 0});
        auto& w = Open();
        EXPECT_EQ(w.size(), QSize(700, 500));
        EXPECT_EQ(w.pos(), QPoint(30, 20));
        EXPECT_EQ(RightWidth(), 300);
        w.resize(720, 500);
        Close();
        EXPECT_EQ(ReadBytes(wnd),
                  (Bytes{20, 0, 0, 0, 30, 0, 0, 0, 0xD0, 2, 0, 0, 0xF4, 1, 0, 0, 0x2C, 1, 0, 0}));
    }
    {
        // 20,000 x 20,000 at (-9000, 90000) with a right page of 15,000: fitted to the screen.
        WriteBytes(wnd, Bytes{0x90, 0x5F, 1,    0,    0xD8, 0xDC, 0xFF, 0xFF, 0x20, 0x4E,
                              0,    0,    0x20, 0x4E, 0,    0,    0x98, 0x3A, 0,    0});
        auto& w = Open();
        const QRect screen = w.screen()->availableGeometry();
        EXPECT_LE(w.width(), screen.width());
        EXPECT_LE(w.height(), screen.height());
        EXPECT_TRUE(screen.contains(w.pos()));
        EXPECT_LE(RightWidth(), w.width());
        Close();
    }
}

TEST_F(BookWindowTest, ARightPageWidthFromTheFileIsRaisedToTheDesignedWidth) {
    WriteBytes(dataDir / "wnd.dat",
               Bytes{20, 0, 0, 0, 30, 0, 0, 0, 0xBC, 2, 0, 0, 0xF4, 1, 0, 0, 200, 0, 0, 0});
    Open();
    EXPECT_EQ(RightWidth(), 280);
}

TEST_F(BookWindowTest, DraggedTabOrderSurvivesARestart) {
    auto& w = Open();
    QTabBar* tabs = w.RightPage()->Pages()->tabBar();
    Drag(tabs, tabs->tabRect(2).center(), tabs->tabRect(0).center());
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Part 3"));
    EXPECT_EQ(w.RightPage()->Pages()->currentIndex(), 0);
    Close();

    const std::string text = "3124\r\n";
    EXPECT_EQ(ReadBytes(dataDir / "data.tab"), Bytes(text.begin(), text.end()));

    auto& again = Open();
    QTabBar* reopened = again.RightPage()->Pages()->tabBar();
    EXPECT_EQ(reopened->tabText(0), QStringLiteral("Part 3"));
    EXPECT_EQ(reopened->tabText(3), QStringLiteral("Part 4"));
    EXPECT_EQ(again.RightPage()->Pages()->currentIndex(), 0);
    // The pages moved with their tabs.
    EXPECT_EQ(again.RightPage()->Pages()->widget(0)->objectName(), QStringLiteral("Part3"));
}

TEST_F(BookWindowTest, ShowOnlySpeedBarsAndShowOnlyMenus) {
    auto& w = Open();
    const int menuHeight = w.Menus().MainMenu()->height();
    const int pageHeight = w.LeftPage()->height();
    ASSERT_GT(menuHeight, 0);

    w.ViewOptions()->findChild<QAction*>(QStringLiteral("ShowOnlySpeedBars1"))->trigger();
    EXPECT_TRUE(w.Menus().MainMenu()->isHidden());
    EXPECT_EQ(w.height(), 519 - menuHeight);
    EXPECT_EQ(w.LeftPage()->height(), pageHeight);
    EXPECT_EQ(settings.MenusAndSpeedBars, settings::opt::MenusAndSpeedBars::OnlySpeedBars);

    w.ViewOptions()->findChild<QAction*>(QStringLiteral("ShowOnlyMenus1"))->trigger();
    EXPECT_FALSE(w.Menus().MainMenu()->isHidden());
    EXPECT_TRUE(w.SpeedBar()->isHidden());
    EXPECT_EQ(w.height(), 519 - 60);
    EXPECT_EQ(w.LeftPage()->height(), pageHeight);
    EXPECT_EQ(w.LeftPage()->y(), 0);

    w.ViewOptions()->UpdateChecks();
    EXPECT_TRUE(
        w.ViewOptions()->findChild<QAction*>(QStringLiteral("ShowOnlyMenus1"))->isChecked());
    EXPECT_FALSE(w.ViewOptions()->findChild<QAction*>(QStringLiteral("ShowBoth1"))->isChecked());
}

TEST_F(BookWindowTest, LocationsOfSpeedBarAndLetterTabs) {
    auto& w = Open();
    EXPECT_EQ(w.SpeedBar()->y(), w.LeftPage()->height());
    w.ViewOptions()->findChild<QAction*>(QStringLiteral("SpeedBarAtTheTop1"))->trigger();
    EXPECT_EQ(w.SpeedBar()->y(), 0);
    EXPECT_EQ(w.LeftPage()->y(), 60);

    w.ViewOptions()->findChild<QAction*>(QStringLiteral("DisplayOnRightSide1"))->trigger();
    EXPECT_EQ(w.RightPage()->x(), w.LeftPage()->width());
    EXPECT_EQ(w.LetterBar()->x(), w.RightPage()->x() + w.RightPage()->width());
    EXPECT_EQ(settings.LetterTabsLocation, settings::opt::LetterTabsLocation::Right);
}

TEST_F(BookWindowTest, ClosingAsksTheHandlerAndNeverDestroysTheWindow) {
    auto& w = Open();
    int asked = 0;
    w.SetCloseHandler([&asked] { ++asked; });
    w.close();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(w.isVisible());
}

// The files of the data directory in the order the window's destruction finished them.
std::vector<std::string> FilesWrittenWhile(const std::filesystem::path& dir,
                                           const std::function<void()>& action) {
    const int watch = inotify_init1(IN_NONBLOCK);
    EXPECT_GE(watch, 0);
    inotify_add_watch(watch, dir.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    action();
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[16384];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0) {
                names.emplace_back(event->name);
            }
            at += sizeof(inotify_event) + event->len;
        }
    }
    close(watch);
    return names;
}

TEST_F(BookWindowTest, TheListHeaderIsSavedRightAfterTheSortState) {
    Open();
    const std::vector<std::string> written = FilesWrittenWhile(dataDir, [this] { Close(); });
    std::vector<std::string> settingsFiles;
    for (const std::string& name : written) {
        if (name == "wnd.dat" || name == "data.idx" || name == "header.dat" ||
            name == "options.dat" || name == "data.tab") {
            settingsFiles.push_back(name);
        }
    }
    const auto sortState = std::ranges::find(settingsFiles, "data.idx");
    ASSERT_NE(sortState, settingsFiles.end()) << ::testing::PrintToString(written);
    ASSERT_NE(sortState + 1, settingsFiles.end());
    EXPECT_EQ(*(sortState + 1), "header.dat") << ::testing::PrintToString(written);
    EXPECT_EQ(settingsFiles.front(), "wnd.dat");
}

// Options are written when they change; the window's end must not write them back over
// another copy's.
TEST_F(BookWindowTest, DestructionLeavesBothOptionsFilesAlone) {
    settings.SpeedBarLocation = settings::opt::SpeedBarLocation::Top;
    Open();
    Close();
    EXPECT_FALSE(std::filesystem::exists(programDir / "options.dat"));
    EXPECT_FALSE(std::filesystem::exists(dataDir / "options.dat"));
}

} // namespace
} // namespace shelfwise::book

namespace shelfwise::book {
namespace {

class BookWindowDatabaseTest : public test::BookFixture {};

TEST_F(BookWindowDatabaseTest, CaptionNamesTheOpenDatabase) {
    // The first open makes the data table and says so; the next one is silent.
    Open();
    Close();
    messages.clear();
    auto& w = Open();
    EXPECT_TRUE(messages.empty()) << messages.front().text;
    EXPECT_TRUE(w.Database().DataTable.isOpen());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvan Shelfwise - Database: data.dbf"));
    Close();

    settings.UserAccess = settings::opt::UserAccess::ReadOnly;
    EXPECT_EQ(Open().windowTitle(),
              QStringLiteral("Quorvan Shelfwise - Database: data.dbf [Read Only Mode]"));
}

TEST_F(BookWindowDatabaseTest, ADatabaseThatCannotOpenAsksToCloseTheWindow) {
    std::filesystem::remove(programDir / "master.dbf");
    std::filesystem::remove(programDir / "data.dbf");
    int closes = 0;
    window = std::make_unique<TSoftwareBookWindow>(settings);
    auto& w = *window;
    w.SetCloseHandler([&closes] { ++closes; });
    QApplication::processEvents();
    EXPECT_FALSE(messages.empty());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvan Shelfwise"));
}

TEST_F(BookWindowDatabaseTest, LetterTabsFollowTheRecordCounts) {
    auto& w = Open();
    // Entry order: no letter tabs.
    EXPECT_FALSE(w.LetterBar()->Tab(0)->isEnabled());

    engine::Table& table = w.Database().DataTable;
    for (const char* name : {"Beta", "bravo", "Delta"}) {
        table.append();
        w.Database().AssignRecordNumber(table);
        table.setText(db::FirstDataField, name);
        table.post();
    }
    w.Database().Index.SaveSort();
    w.Database().Index.Sort.PrimaryField = db::FirstDataField;
    w.SortCommands()->ApplySortChange();

    const auto& c = settings.Colors;
    const QColor filled = QColor::fromRgb(c.Rgb(settings::Element::FilledTabText));
    const QColor empty = QColor::fromRgb(c.Rgb(settings::Element::EmptyTabText));
    EXPECT_TRUE(w.LetterBar()->Tab(0)->isEnabled());
    EXPECT_EQ(w.LetterBar()->Tab(1)->TextColor(), filled);
    EXPECT_EQ(w.LetterBar()->Tab(3)->TextColor(), filled);
    EXPECT_EQ(w.LetterBar()->Tab(2)->TextColor(), empty);
    EXPECT_EQ(w.Database().Index.LetterCount('B'), 2);
    EXPECT_TRUE(w.LetterBar()->Tab(0)->Selected());
}

} // namespace
} // namespace shelfwise::book
