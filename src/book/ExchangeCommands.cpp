#include "book/ExchangeCommands.h"

#include "book/BookWindow.h"
#include "book/CommandRegistry.h"
#include "db/Database.h"
#include "exchange/ExchangeCommands.h"
#include "settings/SettingsFiles.h"

namespace shelfwise::book {

namespace {

// The text exchange options of the run; never saved.
exchange::TExchangeOptions& SessionOptions() {
    static exchange::TExchangeOptions options;
    return options;
}

void Export(TBookWindow& window) {
    if (!window.CommitRecord()) {
        return;
    }
    db::TDatabase& database = window.Database();
    window.setEnabled(false);
    exchange::RunExport(&window, database, window.Settings(), SessionOptions());
    // The export walked the table's ranges; the book shows its own again.
    database.Index.SetLetterRange(database.DataTable,
                                  database.Index.LetterTabsActive() ? window.CurrentLetter() : 0);
    window.setEnabled(true);
    window.activateWindow();
    window.RedrawPage();
}

void Import(TBookWindow& window) {
    if (!window.CommitRecord()) {
        return;
    }
    window.SetPageRedrawAllowed(false);
    window.setEnabled(false);
    const bool added =
        exchange::RunImport(&window, window.Database(), window.Settings(), SessionOptions());
    window.SetPageRedrawAllowed(true);
    if (added) {
        window.SetPageStart(0);
        window.RecountLetters();
        window.RestartBook();
    }
    window.setEnabled(true);
    window.activateWindow();
    window.RedrawPage();
}

} // namespace

void ConnectExchangeCommands(TBookWindow& window) {
    TCommandRegistry& commands = window.Commands();
    commands.Define(QStringLiteral("Export"), {"Export1", "B_Export"},
                    [&window] { Export(window); });
    commands.Define(QStringLiteral("Import"), {"Import1", "B_Import"},
                    [&window] { Import(window); });
    // A read-only user may export but not import.
    commands.Enable(QStringLiteral("Import"), !settings::ReadOnlyAccess(window.Settings()));
}

} // namespace shelfwise::book
