#pragma once

#include <functional>

class QWidget;

namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

class TCommandRegistry;
class TNavigator;
class TRecordPage;

// The parts of the book window an export or import works on.
struct TExchangeParts {
    // The dialogs' parent, disabled while records go out or come in.
    QWidget& Window;
    db::TDatabase& Database;
    const settings::Settings& Settings;
    TCommandRegistry& Commands;
    TRecordPage& RecordPage;
    TNavigator& Navigator;
    // An import added records: the letters are counted again.
    std::function<void()> RecountLetters;
};

// The book window's export and import commands: its menu items and speed bar buttons.
void ConnectExchangeCommands(const TExchangeParts& parts);

} // namespace shelfwise::book
