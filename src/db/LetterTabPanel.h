#pragma once

namespace shelfwise::db {

// Colour elements of the letter tabs (the numbered screen elements of the colour settings).
inline constexpr int NotEmptyLetterTabText = 4;
inline constexpr int NotEmptyLetterTabBackground = 5;
inline constexpr int EmptyLetterTabText = 6;
inline constexpr int EmptyLetterTabBackground = 7;

// The letter tab buttons "A".."Z" of the book window, as the index manager reaches them: it
// decides the colours from the letter counts, the window finds and paints the buttons.
class TLetterTabPanel {
public:
    virtual ~TLetterTabPanel() = default;
    // Whether the panel has a tab captioned with the letter.
    virtual bool FindLetterTab(char letter) const = 0;
    // Paints that tab with the colours of the two elements.
    virtual void ColourLetterTab(char letter, int textElement, int backgroundElement) = 0;
};

} // namespace shelfwise::db
