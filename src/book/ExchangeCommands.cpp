#include "book/ExchangeCommands.h"

#include "book/BookMenus.h"
#include "book/BookWindow.h"
#include "book/SpeedBar.h"
#include "db/Database.h"
#include "exchange/ExchangeCommands.h"
#include "settings/SettingsFiles.h"

#include <QToolButton>

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
    // A read-only user may export but not import.
    const bool writable = !settings::ReadOnlyAccess(window.Settings());
    const auto connect = [&window](const char* item, const char* button, bool enabled,
                                   void (*command)(TBookWindow&)) {
        window.Menus().Connect(QLatin1String(item), &window,
                               [&window, command] { command(window); });
        window.Menus().Action(QLatin1String(item))->setEnabled(enabled);
        QToolButton* speedButton = window.SpeedBar()->Button(QLatin1String(button));
        speedButton->setEnabled(enabled);
        QObject::connect(speedButton, &QToolButton::clicked, &window,
                         [&window, command] { command(window); });
    };
    connect("Export1", "B_Export", true, Export);
    connect("Import1", "B_Import", writable, Import);
}

} // namespace shelfwise::book
