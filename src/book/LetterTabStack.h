#pragma once

#include <array>

namespace shelfwise::book {

inline constexpr int LetterCount = 26;
inline constexpr int MinLetterTabHeight = 14;

// The 26 letter tabs stacked in the letter panel, each overlapping the one above by a pixel.
// In a panel too low for all of them the stack scrolls by a tab at a time.
class LetterTabStack {
public:
    // Designed tab heights; a tab designed taller than "A" keeps its extra height.
    explicit LetterTabStack(const std::array<int, LetterCount>& designedHeights);

    // Every tab gets max(panel height / 26, 14) plus its extra height, stacked from top 0.
    void Layout(int panelHeight);
    // Moves every tab down (up) by the height of "A" - 1.
    void ScrollUp();
    void ScrollDown();

    bool CanScrollUp() const;
    bool CanScrollDown() const;
    int Top(int letter) const { return tops_[letter]; }
    int Height(int letter) const { return heights_[letter]; }

private:
    void Shift(int by);

    std::array<int, LetterCount> extra_{};
    std::array<int, LetterCount> tops_{};
    std::array<int, LetterCount> heights_{};
    int panelHeight_ = 0;
};

} // namespace shelfwise::book
