#pragma once

#include <vector>

namespace shelfwise::book {

// A captioned button of a bar whose buttons drop their captions and become squares when the
// bar gets too narrow.
struct BarButton {
    int Left = 0;
    int Width = 0;
    int Height = 0;
    int RememberedWidth = 0; // the captioned width while compacted, else 0
    bool Captioned = true;

    bool Compacted() const { return RememberedWidth > 0; }
    void Compact();
    void Expand();
    int Right() const { return Left + Width; }
};

// The speed bar's two sheets. When the last button of either sheet no longer ends inside the
// sheet, every button of both sheets becomes a captionless square; they get their captions back
// only when, on both sheets, 8 + the captioned widths + 4 per gap is less than the sheet width.
// Buttons are placed from 4 with a gap of 4 whenever they change. True when they changed.
bool LayoutSpeedBar(std::vector<BarButton>& standard, std::vector<BarButton>& advanced,
                    int sheetWidth);

// The left page's paging bar: First, PgUp, the sponsor button, PgDn and Last. The four paging
// buttons become squares when the five captioned buttons and 12 pixels do not fit, and get
// their captions back when they fit again. First and PgUp sit at the left, PgDn and Last at the
// right, the sponsor button centred in the gap between them.
struct PagingBar {
    BarButton First;
    BarButton PgUp;
    BarButton Sponsor;
    BarButton PgDn;
    BarButton Last;
};
void LayoutPagingBar(PagingBar& bar, int barWidth);

} // namespace shelfwise::book
