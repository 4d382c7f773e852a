#include "book/ExchangeCommands.h"

#include "book/CommandRegistry.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "db/Database.h"
#include "exchange/ExchangeCommands.h"
#include "settings/SettingsFiles.h"

#include <QWidget>

namespace shelfwise::book {

namespace {

// The text exchange options of the run; never saved.
exchange::TExchangeOptions& SessionOptions() {
    static exchange::TExchangeOptions options;
    return options;
}

void Export(const TExchangeParts& parts) {
    if (!parts.RecordPage.CommitRecord()) {
        return;
    }
    db::TDatabase& database = parts.Database;
    QWidget& window = parts.Window;
    window.setEnabled(false);
    exchange::RunExport(&window, database, parts.Settings, SessionOptions());
    // The export walked the table's ranges; the book shows its own again.
    database.Index.SetLetterRange(database.DataTable, database.Index.LetterTabsActive()
                                                          ? parts.Navigator.CurrentLetter()
                                                          : 0);
    window.setEnabled(true);
    window.activateWindow();
    parts.Navigator.RedrawPage();
    parts.Navigator.FocusCurrentRow();
}

void Import(const TExchangeParts& parts) {
    if (!parts.RecordPage.CommitRecord()) {
        return;
    }
    QWidget& window = parts.Window;
    parts.Navigator.SetRedrawAllowed(false);
    window.setEnabled(false);
    const bool added =
        exchange::RunImport(&window, parts.Database, parts.Settings, SessionOptions());
    parts.Navigator.SetRedrawAllowed(true);
    if (added) {
        // Counting the letters shows letter "A" from its first page.
        parts.RecountLetters();
        parts.RecordPage.Restart();
    }
    window.setEnabled(true);
    window.activateWindow();
    parts.Navigator.RedrawPage();
    parts.Navigator.FocusCurrentRow();
}

} // namespace

void ConnectExchangeCommands(const TExchangeParts& parts) {
    TCommandRegistry& commands = parts.Commands;
    commands.Define(QStringLiteral("Export"), {"Export1", "B_Export"}, [parts] { Export(parts); });
    commands.Define(QStringLiteral("Import"), {"Import1", "B_Import"}, [parts] { Import(parts); });
    // A read-only user may export but not import.
    commands.Enable(QStringLiteral("Import"), !settings::ReadOnlyAccess(parts.Settings));
}

} // namespace shelfwise::book
