#pragma once

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

// What a command of the book window that works on the records needs of it.
struct TCommandParts {
    // The dialogs' parent, disabled while a long command runs.
    QWidget& Window;
    db::TDatabase& Database;
    const settings::Settings& Settings;
    TCommandRegistry& Commands;
    TRecordPage& RecordPage;
    TNavigator& Navigator;
};

} // namespace shelfwise::book
