#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace shelfwise::engine {

// Dates of key expressions are Julian day numbers (1999-12-31 is 2451544); 0 is the blank date.
namespace keycalendar {

// The day of a valid Gregorian date of the years 1 to 9999, otherwise 0.
std::int64_t julianDay(int year, int month, int day);
// A date field's YYYYMMDD text; blank or unreadable text is the blank date.
std::int64_t fromDbf(std::string_view text);
// DTOS(): YYYYMMDD, or 8 blanks for the blank date and days outside the years 1 to 9999.
std::string toDtos(std::int64_t day);

} // namespace keycalendar
} // namespace shelfwise::engine
