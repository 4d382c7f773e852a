#include "book/ColorRun.h"

#include <algorithm>

namespace shelfwise::book {

TColorRun::TColorRun(settings::ElementColors& colors, std::size_t firstElement, std::size_t count)
    : colors_(&colors), original_(colors),
      first_(std::min(firstElement, settings::ElementCount - 1)),
      count_(std::clamp<std::size_t>(count, 1, settings::ElementCount - first_)) {}

void TColorRun::Choose(std::size_t choice) {
    choice_ = std::min(choice, count_ - 1);
}

std::uint8_t TColorRun::CurrentColor() const {
    return colors_->Indexes[first_ + choice_];
}

void TColorRun::SetColor(std::uint8_t paletteIndex) {
    if (paletteIndex < settings::PaletteSize) {
        colors_->Indexes[first_ + choice_] = paletteIndex;
    }
}

void TColorRun::Restore() {
    *colors_ = original_;
}

bool TColorRun::Changed() const {
    return !std::equal(colors_->Indexes.begin() + first_,
                       colors_->Indexes.begin() + first_ + count_,
                       original_.Indexes.begin() + first_);
}

} // namespace shelfwise::book
