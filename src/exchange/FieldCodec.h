#pragma once

// A field's value as the text an exchange file holds, and back.

#include "engine/Table.h"
#include "settings/DateFormatList.h"

#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::exchange {

class TFieldCodec {
public:
    // Dates use the format of their field in `formats` (date fields in layout order). Numbers
    // use the locale's decimal point, or "." when that is `separator`.
    TFieldCodec(const engine::Table& table, const settings::DateFormatList& formats,
                char separator);

    // The field of the table's current record as text; a memo's lines end in CR LF.
    std::string Text(const engine::Table& table, int position) const;
    // Stores text into the field of the record being edited. A number or date that does not
    // read leaves the field empty; a memo's lines end in CR LF whatever ended them in the
    // file; longer text is cut by the field's width.
    void Store(engine::Table& table, int position, std::string_view text) const;

private:
    std::vector<int> dateFormats_; // by position; -1 for fields that are not dates
    char decimalPoint_;
};

// A number as an exchange file writes it: an optional sign, digits, at most one decimal point
// ("." or `decimalPoint`), blanks around it; nothing for any other text.
std::optional<double> ReadExchangeNumber(std::string_view text, char decimalPoint);

} // namespace shelfwise::exchange
