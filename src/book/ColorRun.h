#pragma once

#include "settings/ElementColors.h"

#include <cstddef>

namespace shelfwise::book {

// A run of consecutive colour elements being edited: one choice per element, the first chosen.
// Colours change at once; Restore puts all 27 back as they were at the start.
class TColorRun {
public:
    TColorRun(settings::ElementColors& colors, std::size_t firstElement, std::size_t count);

    std::size_t Count() const { return count_; }
    void Choose(std::size_t choice);
    std::size_t Choice() const { return choice_; }
    // Palette index of the chosen element.
    std::uint8_t CurrentColor() const;
    void SetColor(std::uint8_t paletteIndex);

    void Restore();
    // Whether an element of the run differs from the start.
    bool Changed() const;

private:
    settings::ElementColors* colors_;
    settings::ElementColors original_;
    std::size_t first_;
    std::size_t count_;
    std::size_t choice_ = 0;
};

} // namespace shelfwise::book
