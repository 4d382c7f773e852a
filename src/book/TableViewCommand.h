#pragma once

#include "book/CommandParts.h"

namespace shelfwise::book {

// The table view command (menu item and speed bar button): the book window gives way to the
// table viewer and comes back on the letter it showed, from its first record.
void ConnectTableViewCommand(const TCommandParts& parts);

// Runs the table viewer over the record table as the command does.
void RunTableView(const TCommandParts& parts);

} // namespace shelfwise::book
