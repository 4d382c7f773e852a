#pragma once

#include "db/LetterTabPanel.h"

namespace shelfwise::settings {
struct ElementColors;
}

namespace shelfwise::book {

class TLetterBar;

// The letter bar's tabs as the index manager recolours them when a letter's count changes.
class TLetterTabColours : public db::TLetterTabPanel {
public:
    TLetterTabColours(TLetterBar& bar, const settings::ElementColors& colors)
        : bar_(bar), colors_(colors) {}

    bool FindLetterTab(char letter) const override;
    void ColourLetterTab(char letter, int textElement, int backgroundElement) override;

private:
    TLetterBar& bar_;
    const settings::ElementColors& colors_;
};

} // namespace shelfwise::book
