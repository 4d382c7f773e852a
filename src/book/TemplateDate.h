#pragma once

#include "book/BookWindow.h"
#include "engine/Table.h"

#include <chrono>

namespace shelfwise::book {

// A record template stores this date in a date field to mean "the day the template is applied"
// (day 1.0 of the date-time encoding dBASE programs share, the day before 1 January 1900).
inline constexpr std::chrono::year_month_day TemplateDateMarker{
    std::chrono::year(1899), std::chrono::December, std::chrono::day(31)};

// When the field holds the marker, the date editor shows today's date instead.
void ShowTemplateDate(const FieldEditor& editor, const engine::Table& table, int position);

} // namespace shelfwise::book
