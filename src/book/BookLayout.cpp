#include "book/BookLayout.h"

#include <algorithm>

namespace shelfwise::book {

PageWidths FitPages(int clientWidth, int letterBarWidth, int rightWidth, int minRightWidth) {
    PageWidths pages{clientWidth - letterBarWidth - rightWidth, rightWidth, 0};
    if (pages.Left < MinLeftPageWidth) {
        const int missing = MinLeftPageWidth - pages.Left;
        const int fromRight = std::clamp(rightWidth - minRightWidth, 0, missing);
        pages.Right -= fromRight;
        pages.WindowGrowth = missing - fromRight;
        pages.Left = clientWidth + pages.WindowGrowth - letterBarWidth - pages.Right;
    }
    return pages;
}

int ClampRightPageWidth(int width, int minRightWidth, int clientWidth) {
    return std::min(std::max(width, minRightWidth), clientWidth - MinLeftPageWidth);
}

PanelPlacement PlacePanels(const PanelInput& in) {
    PanelPlacement out;
    const int speedBarHeight = in.SpeedBarVisible ? in.SpeedBarHeight : 0;
    int pageTop = 0;
    int splitterTop = 0;
    int speedBarTop = 0;
    if (in.SpeedBarAtBottom && in.SpeedBarVisible) {
        speedBarTop = in.PageHeight;
        splitterTop = speedBarTop + speedBarHeight;
    } else {
        pageTop = speedBarHeight;
        splitterTop = pageTop + in.PageHeight;
    }
    out.SpeedBar =
        QRect(0, speedBarTop, in.LeftWidth + in.LetterBarWidth + in.RightWidth, speedBarHeight);
    out.LeftPage = QRect(0, pageTop, in.LeftWidth, in.PageHeight);
    if (in.LetterTabsOnRight) {
        out.RightPage = QRect(in.LeftWidth, pageTop, in.RightWidth, in.PageHeight);
        out.LetterBar =
            QRect(in.LeftWidth + in.RightWidth, pageTop, in.LetterBarWidth, in.PageHeight);
    } else {
        out.LetterBar = QRect(in.LeftWidth, pageTop, in.LetterBarWidth, in.PageHeight);
        out.RightPage =
            QRect(in.LeftWidth + in.LetterBarWidth, pageTop, in.RightWidth, in.PageHeight);
    }
    const int splitterLeft = out.RightPage.left() - in.Splitter.width() / 2 - in.LetterBarWidth / 2;
    out.Splitter = QRect(QPoint(splitterLeft, splitterTop), in.Splitter);
    return out;
}

RecordBarPlacement PlaceRecordBar(int barWidth, int labelWidth, int navWidth, int buttonCount,
                                  int buttonSize) {
    RecordBarPlacement placed;
    placed.Labels = barWidth - labelWidth - 2;
    placed.Next = placed.Labels - navWidth;
    placed.Prev = placed.Next - navWidth;
    const int room = placed.Prev - RecordButtonsLeft;
    placed.ButtonSize =
        buttonCount > 0 ? std::clamp(room / buttonCount - 1, 0, buttonSize) : buttonSize;
    return placed;
}

} // namespace shelfwise::book
