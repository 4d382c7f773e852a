#pragma once

#include <QRect>

namespace shelfwise::book {

// The left page never gets narrower than this; the right page gives way first, then the window
// widens.
inline constexpr int MinLeftPageWidth = 180;

struct PageWidths {
    int Left = 0;
    int Right = 0;
    int WindowGrowth = 0; // pixels the window must widen by
};

// Widths of the two pages in a client area: the left page takes what the letter bar and the
// right page leave; when that is under MinLeftPageWidth the right page shrinks down to
// `minRightWidth` and the window widens by the rest.
PageWidths FitPages(int clientWidth, int letterBarWidth, int rightWidth, int minRightWidth);

// The right page width after a splitter drag, kept between `minRightWidth` and client width -
// MinLeftPageWidth.
int ClampRightPageWidth(int width, int minRightWidth, int clientWidth);

struct PanelInput {
    int LeftWidth = 0;
    int RightWidth = 0;
    int LetterBarWidth = 0;
    int PageHeight = 0;
    int SpeedBarHeight = 0;
    bool SpeedBarVisible = true;
    bool SpeedBarAtBottom = true;
    bool LetterTabsOnRight = false;
    QSize Splitter;
};

struct PanelPlacement {
    QRect SpeedBar;
    QRect LeftPage;
    QRect LetterBar;
    QRect RightPage;
    QRect Splitter;
};

// Where the speed bar, the two pages, the letter bar and the splitter go. The splitter sits in
// the strip under everything, centred between the letter bar and the right page.
PanelPlacement PlacePanels(const PanelInput& in);

// The record speed bar: at its right end the two position labels, one above the other, 2 pixels
// from the bar's end, with Next and Previous to their left; at its left the record buttons
// from RecordButtonsLeft, 1 pixel apart. The record buttons keep their designed size while they
// fit left of Previous and share that room when the bar is narrower.
inline constexpr int RecordButtonsLeft = 3;
struct RecordBarPlacement {
    int Labels = 0;
    int Next = 0;
    int Prev = 0;
    int ButtonSize = 0; // width of each record button
};
RecordBarPlacement PlaceRecordBar(int barWidth, int labelWidth, int navWidth, int buttonCount,
                                  int buttonSize);

} // namespace shelfwise::book
