#pragma once

#include <QDate>
#include <QString>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace shelfwise::text {

using Date = std::optional<std::chrono::year_month_day>;

// The display format numbered `format` in the date format list, as editors show it
// ("mm/dd/yyyy"); none for a number outside the list.
std::optional<QString> DateFormatText(int format);

// The date written in a display format made of "dd", "mm", "yyyy" (either case) and separators;
// empty for no date.
std::string DateText(const Date& date, std::string_view format);
// The same in the display format numbered `format`; a number outside the list writes the first.
std::string DateText(const Date& date, int format);
QString FormatDate(const Date& date, const QString& format);
// The date that text written in the display format names; none when it names no date.
Date ReadDate(const QString& text, const QString& format);

std::chrono::year_month_day FromQDate(const QDate& date);

} // namespace shelfwise::text
