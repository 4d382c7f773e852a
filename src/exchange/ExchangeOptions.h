#pragma once

// What an export or import of delimited text moves and how the file separates it.

#include "db/RecordSchema.h"

#include <vector>

namespace shelfwise::exchange {

// Encloses a memo's text in a delimited text file.
inline constexpr char MemoMarker = '\x03';
// Encloses values that need it when no delimiter was chosen.
inline constexpr char DefaultQuote = '"';

struct TExchangeOptions {
    char Separator = '\t';   // 0: none chosen, nothing is exchanged
    char Delimiter = 0;      // 0: values stand bare unless they need quotes
    std::vector<int> Fields; // table positions, in file order
};

// Positions a text exchange offers: every data field that does not hold a picture.
std::vector<int> ExchangeFields(const db::TFieldClasses& classes, int fieldCount);

} // namespace shelfwise::exchange
