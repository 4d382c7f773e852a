#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::settings {

// Display formats of a date field, by format index.
inline constexpr std::array<const char*, 4> DateFormatTexts{"MM/DD/YYYY", "DD/MM/YYYY",
                                                            "YYYY/MM/DD", "YYYY"};

// One line of "date.dat": the format of one date field of the record layout.
struct DateFormatLine {
    int Format = 0;
    int FieldIndex = -1; // field number minus 1; set from the record layout, never stored

    bool operator==(const DateFormatLine&) const = default;
};

// The date formats of the record's date fields, in the order of the layout's date fields.
class DateFormatList {
public:
    std::vector<DateFormatLine> Lines;

    // Ties the lines to the layout's date fields, given in layout order. Lines beyond the
    // number of fields are dropped and missing lines get the first format, so a file written
    // for another layout never leaves a field without a format.
    void AssignFields(const std::vector<int>& fieldIndices);

    // The file text: one decimal format index per line, each line ended by CR LF. Reading
    // accepts bare LF line ends too; a line that is not a known format index reads as 0.
    static DateFormatList FromText(std::string_view text);
    std::string ToText() const;
};

} // namespace shelfwise::settings
