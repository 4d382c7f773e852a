#include "book/LetterTabStack.h"

#include <algorithm>

namespace shelfwise::book {

LetterTabStack::LetterTabStack(const std::array<int, LetterCount>& designedHeights)
    : heights_(designedHeights) {
    int top = 0;
    for (int i = 0; i < LetterCount; ++i) {
        extra_[i] = std::max(0, designedHeights[i] - designedHeights[0]);
        tops_[i] = top;
        top += heights_[i] - 1;
    }
}

void LetterTabStack::Layout(int panelHeight) {
    panelHeight_ = panelHeight;
    const int height = std::max(panelHeight / LetterCount, MinLetterTabHeight);
    int top = 0;
    for (int i = 0; i < LetterCount; ++i) {
        heights_[i] = height + extra_[i];
        tops_[i] = top;
        top += heights_[i] - 1;
    }
}

void LetterTabStack::Shift(int by) {
    for (int& top : tops_) {
        top += by;
    }
}

void LetterTabStack::ScrollUp() {
    Shift(heights_[0] - 1);
}

void LetterTabStack::ScrollDown() {
    Shift(-(heights_[0] - 1));
}

bool LetterTabStack::CanScrollUp() const {
    return tops_[0] < 0;
}

bool LetterTabStack::CanScrollDown() const {
    return tops_[LetterCount - 1] + heights_[LetterCount - 1] > panelHeight_;
}

} // namespace shelfwise::book
