#include "book/LetterTabColours.h"

#include "book/Colors.h"
#include "book/LetterBar.h"

namespace shelfwise::book {

bool TLetterTabColours::FindLetterTab(char letter) const {
    return letter >= 'A' && letter < 'A' + LetterCount && bar_.Tab(letter - 'A') != nullptr;
}

void TLetterTabColours::ColourLetterTab(char letter, int textElement, int backgroundElement) {
    using settings::Element;
    bar_.Tab(letter - 'A')
        ->SetColors(ElementColor(colors_, static_cast<Element>(textElement)),
                    ElementColor(colors_, static_cast<Element>(backgroundElement)));
}

} // namespace shelfwise::book
