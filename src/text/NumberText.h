#pragma once

#include <QString>
#include <string_view>

namespace shelfwise::text {

// Reads a number typed into a plain text editor: only digits and the decimal separator count,
// every other character (signs included) is dropped. When both separators are one character,
// only its rightmost occurrence is the decimal point. Unreadable text gives 0.
double ReadNumberText(std::string_view text, char decimalSeparator, char thousandsSeparator);
// The same with the separators of the user's locale.
double ReadLocaleNumber(const QString& text);
// The value with the locale's separators and `decimals` places.
QString LocaleNumberText(double value, int decimals);

} // namespace shelfwise::text
