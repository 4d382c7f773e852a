#include "book/SortCommands.h"

#include "book/BookWindow.h"
#include "book/HourGlass.h"
#include "book/LeftPage.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "book/SortDlg.h"
#include "book/SortRules.h"
#include "book/ViewOptionsMenu.h"
#include "db/Database.h"
#include "platform/Dialogs.h"
#include "settings/SettingsFiles.h"

namespace shelfwise::book {

TSortCommands::TSortCommands(TBookWindow& window, TNavigator& navigator)
    : QObject(&window), window_(window), navigator_(navigator) {
    TSortButton& button = SortButton();
    db::TDatabase& database = window_.Database();
    button.SetSortSource(&database.Index, &window_.Settings().FieldLabels, &database.Fields);
    for (QToolButton* part : {button.PrimaryPart(), button.SecondaryPart(), button.FilterPart()}) {
        part->setEnabled(true);
    }
    connect(&button, &TSortButton::clicked, this, &TSortCommands::ShowSortDialog);
    connect(&button, &TSortButton::SortByClicked, this, &TSortCommands::SortMenuChosen);
    connect(&button, &TSortButton::Sort1MenuClicked, this, &TSortCommands::SortMenuChosen);
    connect(&button, &TSortButton::Sort2MenuClicked, this, &TSortCommands::SortMenuChosen);
    connect(&button, &TSortButton::FilterMenuClicked, this, &TSortCommands::FilterMenuChosen);
    window_.Commands().Define(QStringLiteral("Sort"), {"B_Sort", "Sort1"},
                              [this] { ShowSortDialog(); });
    connect(window_.ViewOptions(), &TViewOptionsMenu::LetterTabsChosen, this,
            &TSortCommands::SwitchLetterTabs);
}

TSortButton& TSortCommands::SortButton() const {
    return *window_.LeftPage()->SortButton();
}

void TSortCommands::FocusCurrentRow() {
    window_.LeftPage()->FocusRow(window_.CurrentRow());
}

void TSortCommands::UpdateSortCaptions() {
    const db::SortValues& sort = window_.Database().Index.Sort;
    const auto& labels = window_.Settings().FieldLabels;
    SortButton().SetSortCaptions(SortFieldCaption(labels, sort.PrimaryField, EntryOrderCaption),
                                 SortFieldCaption(labels, sort.SecondaryField, NoneCaption),
                                 sort.SecondaryDescending, sort.PrimaryDescending);
}

void TSortCommands::ApplySortChange() {
    ShowFromLetterA(!window_.Database().Index.SortUnchanged());
}

void TSortCommands::ShowFromLetterA(bool reopen) {
    db::TIndex& index = window_.Database().Index;
    if (reopen) {
        const HourGlass hourGlass;
        // A new index tag needs the table to itself, so the edit cursor lets go first.
        window_.RecordPage()->EditCursor().Close();
        window_.SetPageRedrawAllowed(false);
        const db::FilterState filter = index.Filter;
        const bool filtered = index.Filtered;
        SortButton().SetFilterState(db::FilterState::fsFilterOff);
        index.Filter = db::FilterState::fsFilterOff;
        index.Filtered = false;
        if (!index.ApplySort()) {
            // The previous tag is back, and with it the filter it serves.
            index.Filter = filter;
            index.Filtered = filtered;
            SortButton().SetFilterState(filter);
        }
        navigator_.ResetLetterTabs();
    }
    navigator_.SelectLetterTab('A');
    navigator_.ShowLetter('A');
    UpdateSortCaptions();
    if (reopen) {
        window_.RestartBook();
    }
}

bool TSortCommands::ReopenRecordList() {
    const HourGlass hourGlass;
    window_.RecordPage()->EditCursor().Close();
    window_.SetPageRedrawAllowed(false);
    db::TIndex& index = window_.Database().Index;
    const bool reopened = index.ChangeFilter(SortButton().Filter());
    // A failed change keeps the filter in force, and the button says so.
    SortButton().SetFilterState(index.Filter);
    return reopened;
}

void TSortCommands::ShowSortDialog() {
    TRecordPage& page = *window_.RecordPage();
    if (!page.SettleRecord()) {
        return;
    }
    db::TDatabase& database = window_.Database();
    database.Index.SaveSort();
    TSortDlg dialog(window_.Settings().FieldLabels, database.Fields, database.Index.Sort, &window_);
    if (platform::RunModal(dialog) == QDialog::Accepted) {
        database.Index.Sort = dialog.Chosen();
        ApplySortChange();
    }
    FocusCurrentRow();
}

void TSortCommands::SortMenuChosen() {
    db::TIndex& index = window_.Database().Index;
    if (!window_.RecordPage()->SettleRecord()) {
        index.RestoreSort();
        return;
    }
    ApplySortChange();
    FocusCurrentRow();
}

void TSortCommands::FilterMenuChosen() {
    if (!window_.RecordPage()->SettleRecord()) {
        SortButton().SetFilterState(window_.Database().Index.Filter);
        return;
    }
    ReopenRecordList();
    FocusCurrentRow();
    window_.RestartBook();
}

void TSortCommands::SwitchLetterTabs(settings::opt::LetterTabs value) {
    settings::Settings& settings = window_.Settings();
    if (settings.LetterTabs == value || !window_.RecordPage()->SettleRecord()) {
        return;
    }
    settings.LetterTabs = value;
    settings::SaveUiOptions(settings);
    db::TIndex& index = window_.Database().Index;
    index.SaveSort();
    if (value == settings::opt::LetterTabs::Use && index.LetterTabsActive()) {
        window_.RecountLetters();
    }
    navigator_.ResetLetterTabs();
    // The range changes under the shown record, so its position means nothing any more: the
    // table is re-opened and the book starts again, as after a sort change.
    ShowFromLetterA(true);
}

} // namespace shelfwise::book
