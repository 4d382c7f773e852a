#include "book/SortCommands.h"

#include "book/CommandRegistry.h"
#include "book/HourGlass.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "book/SortButton.h"
#include "book/SortDlg.h"
#include "book/SortRules.h"
#include "book/ViewOptionsMenu.h"
#include "db/Database.h"
#include "platform/Dialogs.h"
#include "settings/SettingsFiles.h"

namespace shelfwise::book {

TSortCommands::TSortCommands(const TSortParts& parts, QObject* parent)
    : QObject(parent), parts_(parts) {
    TSortButton& button = parts_.SortButton;
    db::TDatabase& database = parts_.Database;
    button.SetSortSource(&database.Index, &parts_.Settings.FieldLabels, &database.Fields);
    for (QToolButton* part : {button.PrimaryPart(), button.SecondaryPart(), button.FilterPart()}) {
        part->setEnabled(true);
    }
    connect(&button, &TSortButton::clicked, this, &TSortCommands::ShowSortDialog);
    connect(&button, &TSortButton::SortByClicked, this, &TSortCommands::SortMenuChosen);
    connect(&button, &TSortButton::Sort1MenuClicked, this, &TSortCommands::SortMenuChosen);
    connect(&button, &TSortButton::Sort2MenuClicked, this, &TSortCommands::SortMenuChosen);
    connect(&button, &TSortButton::FilterMenuClicked, this, &TSortCommands::FilterMenuChosen);
    parts_.Commands.Define(QStringLiteral("Sort"), {"B_Sort", "Sort1"},
                           [this] { ShowSortDialog(); });
    connect(&parts_.ViewOptions, &TViewOptionsMenu::LetterTabsChosen, this,
            &TSortCommands::SwitchLetterTabs);
}

void TSortCommands::UpdateSortCaptions() {
    const db::SortValues& sort = parts_.Database.Index.Sort;
    const auto& labels = parts_.Settings.FieldLabels;
    parts_.SortButton.SetSortCaptions(
        SortFieldCaption(labels, sort.PrimaryField, EntryOrderCaption),
        SortFieldCaption(labels, sort.SecondaryField, NoneCaption), sort.SecondaryDescending,
        sort.PrimaryDescending);
}

void TSortCommands::ApplySortChange() {
    ShowFromLetterA(!parts_.Database.Index.SortUnchanged());
}

void TSortCommands::ShowFromLetterA(bool reopen) {
    db::TIndex& index = parts_.Database.Index;
    if (reopen) {
        const HourGlass hourGlass;
        // A new index tag needs the table to itself, so the edit cursor lets go first.
        parts_.RecordPage.EditCursor().Close();
        parts_.Navigator.SetRedrawAllowed(false);
        const db::FilterState filter = index.Filter;
        const bool filtered = index.Filtered;
        parts_.SortButton.SetFilterState(db::FilterState::fsFilterOff);
        index.Filter = db::FilterState::fsFilterOff;
        index.Filtered = false;
        if (!index.ApplySort()) {
            // The previous tag is back, and with it the filter it serves.
            index.Filter = filter;
            index.Filtered = filtered;
            parts_.SortButton.SetFilterState(filter);
        }
        parts_.Navigator.ResetLetterTabs();
    }
    parts_.Navigator.SelectLetterTab('A');
    parts_.Navigator.ShowLetter('A');
    UpdateSortCaptions();
    if (reopen) {
        parts_.RecordPage.Restart();
    }
}

bool TSortCommands::ReopenRecordList() {
    const HourGlass hourGlass;
    parts_.RecordPage.EditCursor().Close();
    parts_.Navigator.SetRedrawAllowed(false);
    db::TIndex& index = parts_.Database.Index;
    const bool reopened = index.ChangeFilter(parts_.SortButton.Filter());
    // A failed change keeps the filter in force, and the button says so.
    parts_.SortButton.SetFilterState(index.Filter);
    return reopened;
}

void TSortCommands::ShowSortDialog() {
    TRecordPage& page = parts_.RecordPage;
    if (!page.SettleRecord()) {
        return;
    }
    db::TDatabase& database = parts_.Database;
    database.Index.SaveSort();
    TSortDlg dialog(parts_.Settings.FieldLabels, database.Fields, database.Index.Sort,
                    parts_.Window);
    if (platform::RunModal(dialog) == QDialog::Accepted) {
        database.Index.Sort = dialog.Chosen();
        ApplySortChange();
    }
    parts_.Navigator.FocusCurrentRow();
}

void TSortCommands::SortMenuChosen() {
    db::TIndex& index = parts_.Database.Index;
    if (!parts_.RecordPage.SettleRecord()) {
        index.RestoreSort();
        return;
    }
    ApplySortChange();
    parts_.Navigator.FocusCurrentRow();
}

void TSortCommands::FilterMenuChosen() {
    if (!parts_.RecordPage.SettleRecord()) {
        parts_.SortButton.SetFilterState(parts_.Database.Index.Filter);
        return;
    }
    ReopenRecordList();
    parts_.Navigator.FocusCurrentRow();
    parts_.RecordPage.Restart();
}

void TSortCommands::SwitchLetterTabs(settings::opt::LetterTabs value) {
    settings::Settings& settings = parts_.Settings;
    if (settings.LetterTabs == value || !parts_.RecordPage.SettleRecord()) {
        return;
    }
    settings.LetterTabs = value;
    settings::SaveUiOptions(settings);
    db::TIndex& index = parts_.Database.Index;
    index.SaveSort();
    if (value == settings::opt::LetterTabs::Use && index.LetterTabsActive()) {
        parts_.Navigator.RecountLetters();
        UpdateSortCaptions();
    }
    parts_.Navigator.ResetLetterTabs();
    // The range changes under the shown record, so its position means nothing any more: the
    // table is re-opened and the book starts again, as after a sort change.
    ShowFromLetterA(true);
}

} // namespace shelfwise::book
