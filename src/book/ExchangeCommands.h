#pragma once

#include "book/CommandParts.h"

#include <functional>

namespace shelfwise::book {

// The parts of the book window an export or import works on.
struct TExchangeParts : TCommandParts {
    // An import added records: the letters are counted again.
    std::function<void()> RecountLetters;
};

// The book window's export and import commands: its menu items and speed bar buttons.
void ConnectExchangeCommands(const TExchangeParts& parts);

} // namespace shelfwise::book
