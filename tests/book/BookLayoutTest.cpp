#include "book/BookLayout.h"

#include "book/ButtonRowLayout.h"
#include "book/LetterTabStack.h"
#include "book/RightPage.h"
#include "book/TabOrderFile.h"
#include "book/WindowPlacement.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace shelfwise::book {
namespace {

TEST(BookLayoutTest, LeftPageNeverUnder180Pixels) {
    const struct {
        int client, right, minRight;
        PageWidths expected;
    } cases[] = {
        {638, 280, 230, {334, 280, 0}},  // room enough
        {484, 280, 230, {180, 280, 0}},  // exactly 180
        {450, 280, 230, {180, 246, 0}},  // the right page gives way
        {420, 280, 230, {180, 230, 14}}, // down to its minimum, then the window widens
        {420, 220, 230, {180, 220, 4}},  // a right page under the minimum gives nothing
    };
    for (const auto& c : cases) {
        const PageWidths got = FitPages(c.client, 24, c.right, c.minRight);
        EXPECT_EQ(got.Left, c.expected.Left) << c.client << " " << c.right;
        EXPECT_EQ(got.Right, c.expected.Right) << c.client << " " << c.right;
        EXPECT_EQ(got.WindowGrowth, c.expected.WindowGrowth) << c.client << " " << c.right;
    }
}

TEST(BookLayoutTest, SplitterClampsTheRightPage) {
    EXPECT_EQ(ClampRightPageWidth(100, 230, 638), 230);
    EXPECT_EQ(ClampRightPageWidth(600, 230, 638), 458);
    EXPECT_EQ(ClampRightPageWidth(300, 230, 638), 300);
}

TEST(BookLayoutTest, PanelsFollowSpeedBarAndLetterTabLocations) {
    PanelInput in;
    in.LeftWidth = 300;
    in.RightWidth = 280;
    in.LetterBarWidth = 24;
    in.PageHeight = 400;
    in.SpeedBarHeight = 60;
    in.Splitter = QSize(10, 14);

    PanelPlacement p = PlacePanels(in); // speed bar at the bottom, letters in the centre
    EXPECT_EQ(p.LeftPage, QRect(0, 0, 300, 400));
    EXPECT_EQ(p.SpeedBar, QRect(0, 400, 604, 60));
    EXPECT_EQ(p.LetterBar, QRect(300, 0, 24, 400));
    EXPECT_EQ(p.RightPage, QRect(324, 0, 280, 400));
    EXPECT_EQ(p.Splitter, QRect(324 - 5 - 12, 460, 10, 14));

    in.SpeedBarAtBottom = false;
    in.LetterTabsOnRight = true;
    p = PlacePanels(in);
    EXPECT_EQ(p.SpeedBar.top(), 0);
    EXPECT_EQ(p.LeftPage, QRect(0, 60, 300, 400));
    EXPECT_EQ(p.RightPage, QRect(300, 60, 280, 400));
    EXPECT_EQ(p.LetterBar, QRect(580, 60, 24, 400));
    EXPECT_EQ(p.Splitter.topLeft(), QPoint(300 - 5 - 12, 460));

    in.SpeedBarAtBottom = true;
    in.SpeedBarVisible = false;
    p = PlacePanels(in);
    EXPECT_EQ(p.LeftPage.top(), 0);
    EXPECT_EQ(p.Splitter.top(), 400);
}

std::vector<BarButton> Row(std::initializer_list<int> widths) {
    std::vector<BarButton> row;
    int left = 4;
    for (int width : widths) {
        row.push_back({left, width, 30});
        left += width + 4;
    }
    return row;
}

bool AllCaptioned(const std::vector<BarButton>& row, bool captioned) {
    for (const auto& b : row) {
        if (b.Captioned != captioned) {
            return false;
        }
    }
    return true;
}

TEST(ButtonRowLayoutTest, SpeedBarButtonsLoseAndRegainCaptionsTogether) {
    auto standard = Row({60, 60, 60}); // last ends at 4 + 3*60 + 2*4 = 192
    auto advanced = Row({80});         // ends at 84
    EXPECT_FALSE(LayoutSpeedBar(standard, advanced, 300));

    // The standard sheet no longer fits: both sheets become squares placed from 4.
    EXPECT_TRUE(LayoutSpeedBar(standard, advanced, 190));
    EXPECT_TRUE(AllCaptioned(standard, false));
    EXPECT_TRUE(AllCaptioned(advanced, false));
    EXPECT_EQ(standard[2].Left, 4 + 2 * 34);
    EXPECT_EQ(standard[2].Width, 30);
    EXPECT_EQ(advanced[0].RememberedWidth, 80);

    // Captions come back only when 8 + 180 + 8 is less than the sheet width.
    EXPECT_FALSE(LayoutSpeedBar(standard, advanced, 196));
    EXPECT_TRUE(AllCaptioned(standard, false));
    EXPECT_TRUE(LayoutSpeedBar(standard, advanced, 197));
    EXPECT_TRUE(AllCaptioned(standard, true));
    EXPECT_TRUE(AllCaptioned(advanced, true));
    EXPECT_EQ(standard[2].Right(), 192);
    EXPECT_EQ(advanced[0].Width, 80);
}

TEST(ButtonRowLayoutTest, PagingBarCompactsAndCentresTheSponsorButton) {
    PagingBar bar{{0, 60, 27}, {0, 60, 27}, {0, 27, 27}, {0, 60, 27}, {0, 60, 27}};
    LayoutPagingBar(bar, 300); // 267 + 12 fit
    EXPECT_TRUE(bar.First.Captioned);
    EXPECT_EQ(bar.First.Left, 4);
    EXPECT_EQ(bar.PgUp.Left, 66);
    EXPECT_EQ(bar.Last.Left, 236);
    EXPECT_EQ(bar.PgDn.Left, 174);
    EXPECT_EQ(bar.Sponsor.Left, 126 + (174 - 126 - 27) / 2);

    LayoutPagingBar(bar, 278);
    EXPECT_FALSE(bar.PgDn.Captioned);
    EXPECT_EQ(bar.PgDn.Width, 27);
    EXPECT_EQ(bar.Last.Left, 278 - 27 - 4);

    LayoutPagingBar(bar, 279);
    EXPECT_TRUE(bar.Last.Captioned);
    EXPECT_EQ(bar.Last.Width, 60);
}

TEST(LetterTabStackTest, LowPanelGivesMinimumTabsAndScrollsByATab) {
    std::array<int, LetterCount> designed;
    designed.fill(14);
    LetterTabStack stack(designed);
    stack.Layout(164);
    EXPECT_EQ(stack.Height(0), 14);
    EXPECT_EQ(stack.Top(1), 13);
    EXPECT_EQ(stack.Top(25), 25 * 13);
    EXPECT_FALSE(stack.CanScrollUp());
    EXPECT_TRUE(stack.CanScrollDown());

    stack.ScrollDown();
    EXPECT_EQ(stack.Top(0), -13);
    EXPECT_TRUE(stack.CanScrollUp());
    stack.ScrollUp();
    EXPECT_EQ(stack.Top(0), 0);

    stack.Layout(26 * 20);
    EXPECT_EQ(stack.Height(12), 20);
    EXPECT_EQ(stack.Top(25) + stack.Height(25), 25 * 19 + 20);
    EXPECT_FALSE(stack.CanScrollDown());
}

TEST(LetterTabStackTest, TallerDesignedTabsKeepTheirExtraHeight) {
    std::array<int, LetterCount> designed;
    designed.fill(14);
    designed[25] = 20;
    LetterTabStack stack(designed);
    stack.Layout(26 * 16);
    EXPECT_EQ(stack.Height(0), 16);
    EXPECT_EQ(stack.Height(25), 22);
}

TEST(TabOrderFileTest, NameFollowsTheDataFile) {
    EXPECT_EQ(TabOrderFileName("data.dbf"), "data.tab");
    EXPECT_EQ(TabOrderFileName("my.data.dbf"), "my.tab");
    EXPECT_EQ(TabOrderFileName("books"), "bookstab");
}

TEST(TabOrderFileTest, MovesPutPagesInTheOrderOfTheLine) {
    const std::vector<std::string> designed = {"Part 1", "Part 2", "Part 3", "Part 4"};
    const struct {
        const char* line;
        const char* order;
    } cases[] = {
        {"3124", "3124"}, {"4321", "4321"},
        {"1234", "1234"}, {"x3", "1324"}, // unknown characters move nothing, positions still count
        {"", "1234"},     {"31245", "3124"},
    };
    for (const auto& c : cases) {
        auto captions = designed;
        TabOrderMoves(captions, c.line);
        EXPECT_EQ(TabOrderLine(captions), c.order) << c.line;
    }
}

// Down to the narrowest right page every record button stays visible beside Previous, Next
// and the position labels, and wide enough for its picture.
TEST(BookLayoutTest, RecordSpeedBarButtonsNeverOverlap) {
    for (const int width : {230, 240, 258, 280, 400}) {
        QWidget host;
        TRightPage page(&host);
        page.resize(width, 400);
        host.show();
        QApplication::processEvents();
        const QWidget* bar = page.RecordBar();
        std::vector<const QWidget*> row;
        for (const char* name : {"B_RSynchro", "B_RPrint", "B_RDelete", "B_RUndo", "B_RCopy",
                                 "B_RPaste", "B_Prev", "B_Next", "PgR_Lbl"}) {
            row.push_back(bar->findChild<QWidget*>(QString::fromLatin1(name)));
        }
        for (std::size_t i = 0; i < row.size(); ++i) {
            const QWidget* w = row[i];
            EXPECT_TRUE(bar->rect().contains(w->geometry())) << width << " " << i;
            EXPECT_GE(w->width(), 18 + 2) << width << " " << i; // the 18-pixel picture
            if (i + 1 < row.size()) {
                EXPECT_LT(w->geometry().right(), row[i + 1]->x()) << width << " " << i;
            }
        }
    }
}

TEST(WindowPlacementTest, AStoredPlacementIsFittedToTheScreen) {
    constexpr std::int32_t Huge = 0x7FFFFFFF;
    const ScreenArea screen{0, 30, 1280, 990};
    const struct {
        const char* what;
        WindowPlacement stored;
        WindowPlacement fitted;
    } cases[] = {
        {"inside", {40, 20, 700, 500, 300}, {40, 20, 700, 500, 300}},
        {"huge numbers", {Huge, Huge, Huge, Huge, Huge}, {30, 0, 1280, 990, 1280}},
        {"negative corner", {-Huge - 1, -500, 800, 600, 300}, {30, 0, 800, 600, 300}},
        {"off the right edge", {100, 1200, 800, 600, 300}, {100, 480, 800, 600, 300}},
        {"maximized stays", {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
        {"unusable stays", {5, 6, 0, 300, 300}, {5, 6, 0, 300, 300}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitToScreen(c.stored, screen), c.fitted) << c.what;
    }
}

} // namespace
} // namespace shelfwise::book
