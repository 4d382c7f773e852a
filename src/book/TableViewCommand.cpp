#include "book/TableViewCommand.h"

#include "book/CommandRegistry.h"
#include "book/DbEditDlg.h"
#include "book/FilterCommands.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "db/Database.h"
#include "platform/Dialogs.h"
#include "settings/SettingsFiles.h"

#include <QWidget>

namespace shelfwise::book {

namespace {

// The book window again, on the letter it showed before, from its first page and record. The
// grid may have added, deleted or re-lettered records, so the letters are counted afresh.
void ReturnToBook(const TCommandParts& parts, char letter) {
    TNavigator& navigator = parts.Navigator;
    db::TIndex& index = parts.Database.Index;
    navigator.SetPageStart(0);
    if (index.LetterTabsActive()) {
        index.CountAllLetters();
        navigator.RecolorLetterTabs();
    }
    // The window was hidden with the tag that makes its first-show steps pass by.
    parts.Window.show();
    parts.RecordPage.ReopenEditCursor();
    navigator.SelectLetterTab(letter);
    navigator.ShowLetter(letter);
    parts.RecordPage.ShowRecordAt(0);
}

} // namespace

void RunTableView(const TCommandParts& parts) {
    TRecordPage& page = parts.RecordPage;
    if (!page.CommitRecord()) {
        return;
    }
    const char letter = parts.Navigator.CurrentLetter();
    parts.Window.setProperty("tag", 1000);
    parts.Window.hide();
    parts.Navigator.SetRedrawAllowed(false);
    // The grid writes through the book's edit cursor, which holds no record meanwhile. While
    // the grid is open, edited records keep their filter marks (new ones are still marked).
    db::TEditCursor& writer = page.EditCursor();
    const bool opened = writer.Open();
    const bool readOnly = settings::ReadOnlyAccess(parts.Settings) || !opened;
    search::TFilterList* filter = nullptr;
    if (auto* filters = parts.Window.findChild<TFilterCommands*>()) {
        filter = &filters->Filter();
    }
    const bool evaluating = filter != nullptr && filter->EvaluationOn();
    if (filter != nullptr) {
        filter->SetEvaluation(false);
    }
    {
        TDbEditDlg viewer(parts.Database, writer, parts.Settings, readOnly, &parts.Window);
        viewer.setWindowState(Qt::WindowMaximized);
        platform::RunModal(viewer);
    }
    if (filter != nullptr) {
        filter->SetEvaluation(evaluating);
    }
    writer.Close();
    ReturnToBook(parts, letter);
}

void ConnectTableViewCommand(const TCommandParts& parts) {
    parts.Commands.Define(QStringLiteral("TableView"), {"TableView1", "B_Table"},
                          [parts] { RunTableView(parts); });
}

} // namespace shelfwise::book
