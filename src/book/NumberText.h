#pragma once

#include <string_view>

namespace shelfwise::book {

// Reads a number typed into a plain text editor: only digits and the decimal separator count,
// every other character (signs included) is dropped. When both separators are one character,
// only its rightmost occurrence is the decimal point. Unreadable text gives 0.
double ReadNumberText(std::string_view text, char decimalSeparator, char thousandsSeparator);

} // namespace shelfwise::book
