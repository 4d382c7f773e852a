#pragma once

namespace shelfwise::book {

class TBookWindow;

// The book window's export and import commands: its menu items and speed bar buttons.
void ConnectExchangeCommands(TBookWindow& window);

} // namespace shelfwise::book
