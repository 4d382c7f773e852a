#include "book/ButtonRowLayout.h"

#include <array>

namespace shelfwise::book {

namespace {

constexpr int BarMargin = 4;
constexpr int ButtonGap = 4;

void PlaceInRow(std::vector<BarButton>& buttons) {
    int left = BarMargin;
    for (auto& button : buttons) {
        button.Left = left;
        left += button.Width + ButtonGap;
    }
}

bool CaptionsFit(const std::vector<BarButton>& buttons, int sheetWidth) {
    int width = 2 * BarMargin;
    for (const auto& button : buttons) {
        width += button.RememberedWidth;
    }
    if (!buttons.empty()) {
        width += ButtonGap * static_cast<int>(buttons.size() - 1);
    }
    return width < sheetWidth;
}

bool EndsInside(const std::vector<BarButton>& buttons, int sheetWidth) {
    return buttons.empty() || buttons.back().Right() < sheetWidth;
}

} // namespace

void BarButton::Compact() {
    RememberedWidth = Width;
    Captioned = false;
    Width = Height;
}

void BarButton::Expand() {
    Width = RememberedWidth;
    RememberedWidth = 0;
    Captioned = true;
}

bool LayoutSpeedBar(std::vector<BarButton>& standard, std::vector<BarButton>& advanced,
                    int sheetWidth) {
    const bool compacted = !standard.empty() && standard.back().Compacted();
    void (BarButton::*change)() = nullptr;
    if (EndsInside(standard, sheetWidth) && EndsInside(advanced, sheetWidth)) {
        if (compacted && CaptionsFit(standard, sheetWidth) && CaptionsFit(advanced, sheetWidth)) {
            change = &BarButton::Expand;
        }
    } else if (!compacted) {
        change = &BarButton::Compact;
    }
    if (!change) {
        return false;
    }
    for (auto* sheet : {&standard, &advanced}) {
        for (auto& button : *sheet) {
            (button.*change)();
        }
        PlaceInRow(*sheet);
    }
    return true;
}

void LayoutPagingBar(PagingBar& bar, int barWidth) {
    const std::array<BarButton*, 4> paging = {&bar.First, &bar.PgDn, &bar.PgUp, &bar.Last};
    const int spare = bar.Sponsor.Width + 3 * BarMargin;
    int captioned = 0;
    int remembered = 0;
    for (const auto* button : paging) {
        captioned += button->Width;
        remembered += button->RememberedWidth;
    }
    const bool compacted = bar.First.Compacted();
    if (!compacted && barWidth < captioned + spare) {
        for (auto* button : paging) {
            button->Compact();
        }
    } else if (compacted && barWidth >= remembered + spare) {
        for (auto* button : paging) {
            button->Expand();
        }
    }
    bar.First.Left = BarMargin;
    bar.PgUp.Left = bar.First.Right() + 2;
    bar.Last.Left = barWidth - bar.Last.Width - BarMargin;
    bar.PgDn.Left = bar.Last.Left - bar.PgDn.Width - 2;
    const int gap = bar.PgDn.Left - bar.PgUp.Right() - bar.Sponsor.Width;
    bar.Sponsor.Left = bar.PgUp.Right() + gap / 2;
}

} // namespace shelfwise::book
