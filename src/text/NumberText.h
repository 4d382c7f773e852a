#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace shelfwise::text {

// Reads a number typed into a plain text editor: only digits and the decimal separator count,
// every other character (signs included) is dropped. When both separators are one character,
// only its rightmost occurrence is the decimal point. Unreadable text gives 0.
double ReadNumberText(std::string_view text, char decimalSeparator, char thousandsSeparator);
// The same with the separators of the user's locale.
double ReadLocaleNumber(const QString& text);
// As ReadLocaleNumber, but nothing when the kept characters are no number (two decimal
// separators); text without digits reads as 0.
std::optional<double> ParseLocaleNumber(const QString& text);
// The value with the locale's separators and `decimals` places.
QString LocaleNumberText(double value, int decimals);

// The value laid out by a format text of up to three sections "positive;negative;zero": "0"
// is a digit always shown, "#" a digit shown when it counts, the first "." places the decimal
// point, a "," among the integer placeholders groups the thousands, and text in quotes or
// outside the placeholders is kept as it is. Without a negative section a negative value gets a
// leading "-"; a value that rounds to zero takes the zero section and no sign. An empty format
// shows the value's shortest exact form.
QString FormatFloat(double value, const QString& format, QChar decimalSeparator,
                    QChar thousandsSeparator);
// The same with the separators of the user's locale.
QString LocaleFormatFloat(double value, const QString& format);
// True when the value written with `decimals` places fits a number field `width` characters
// wide.
bool FitsNumberField(double value, int width, int decimals);

} // namespace shelfwise::text
