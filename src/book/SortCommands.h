#pragma once

#include "settings/Settings.h"

#include <QObject>

namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::book {

class TCommandRegistry;
class TNavigator;
class TRecordPage;
class TSortButton;
class TViewOptionsMenu;

// The parts of the book window the sort commands work on.
struct TSortParts {
    db::TDatabase& Database;
    settings::Settings& Settings;
    TCommandRegistry& Commands;
    TRecordPage& RecordPage;
    TNavigator& Navigator;
    TSortButton& SortButton;
    TViewOptionsMenu& ViewOptions;
    // The sort dialog's parent.
    QWidget* Window;
};

// The book window's sort and filter state commands: the sort dialog, the sort button's menus,
// the letter tab switch, and re-opening the record table after a sort or filter change.
class TSortCommands : public QObject {
    Q_OBJECT
public:
    TSortCommands(const TSortParts& parts, QObject* parent);

    // The sort button shows the index manager's sort fields and directions.
    void UpdateSortCaptions();
    // Re-opens the record table when the sort changed (filter off), then shows letter "A".
    void ApplySortChange();
    // Re-opens the record table for the sort button's filter state; false when it failed.
    bool ReopenRecordList();
    void ShowSortDialog();
    // Letter tabs "Enabled" or "Disabled".
    void SwitchLetterTabs(settings::opt::LetterTabs value);

private:
    // Shows letter "A"; with `reopen` the record table is re-opened first (filter off) and the
    // book restarts at the first record of the new range.
    void ShowFromLetterA(bool reopen);
    // A menu changed the sort values: applied once the record settled, else taken back.
    void SortMenuChosen();
    void FilterMenuChosen();

    TSortParts parts_;
};

} // namespace shelfwise::book
