#include "book/Navigator.h"

#include "book/CommandRegistry.h"
#include "book/HourGlass.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/NavigationRules.h"
#include "book/PageReader.h"
#include "book/RecordPage.h"
#include "book/RightPage.h"
#include "db/Database.h"
#include "settings/SettingsFiles.h"

#include <QAbstractButton>

namespace shelfwise::book {

namespace {

bool IsLetter(char letter) {
    return letter >= 'A' && letter <= 'Z';
}

} // namespace

TNavigator::TNavigator(const TNavigatorParts& parts, QObject* parent)
    : QObject(parent), parts_(parts) {
    const struct {
        const char* Name;
        const char* Button;
        const char* Item;
        void (TNavigator::*Command)();
    } commands[] = {
        {"FirstPage", "B_First", "First1", &TNavigator::FirstPage},
        {"PreviousPage", "B_PgUp", "PageUp1", &TNavigator::PreviousPage},
        {"NextPage", "B_PgDn", "PageDown1", &TNavigator::NextPage},
        {"LastPage", "B_Last", "Last1", &TNavigator::LastPage},
        {"PreviousRecord", "B_Prev", "Previous1", &TNavigator::PreviousRecord},
        {"NextRecord", "B_Next", "Next1", &TNavigator::NextRecord},
        {"Synchronize", "B_RSynchro", "Synchronize3", &TNavigator::Synchronize},
    };
    for (const auto& command : commands) {
        parts_.Commands.Define(QString::fromLatin1(command.Name), {command.Button, command.Item},
                               [this, command = command.Command] { (this->*command)(); });
    }
    for (int i = 0; i < LetterCount; ++i) {
        TColorButton* tab = parts_.LetterBar.Tab(i);
        connect(tab, &QAbstractButton::clicked, this, [this, tab] {
            const QString caption = tab->text().toUpper();
            ShowLetter(caption.isEmpty() ? 'A' : caption.front().toLatin1());
        });
    }
    connect(&parts_.LeftPage, &TLeftPage::RowClicked, this, [this](int row) {
        previousRow_ = row;
        parts_.RecordPage.ShowRecordAt(pageStart_ + row);
    });
    connect(&parts_.LeftPage, &TLeftPage::ColumnsChanged, this, &TNavigator::RedrawPage);
}

int TNavigator::RangeCount() const {
    db::TDatabase& database = parts_.Database;
    return static_cast<int>(database.RecordCount(database.DataTable));
}

int TNavigator::RowsPerPage() const {
    return std::max(1, static_cast<int>(parts_.LeftPage.RowButtons().size()));
}

void TNavigator::RedrawPage() {
    if (!parts_.LeftPage.window()->isVisible() || !redrawAllowed_) {
        return;
    }
    parts_.LeftPage.ClearRows();
    if (BeforeRedraw) {
        BeforeRedraw();
    }
    const TPageReader reader(parts_.Settings.FieldLabels, parts_.Settings.DateFormats);
    const PageTexts page =
        reader.Read(parts_.Database.DataTable, pageStart_,
                    static_cast<int>(parts_.LeftPage.RowButtons().size()),
                    parts_.LeftPage.Header()->Captions(), parts_.RecordPage.CurrentRecordId());
    parts_.LeftPage.ShowTexts(page);
    currentRow_ = page.CurrentRow;
    UpdatePagingCommands();
    if (currentRow_ >= 0) {
        previousRow_ = currentRow_;
        parts_.LeftPage.SelectRow(currentRow_);
    } else if (previousRow_ >= 0) {
        parts_.LeftPage.SelectRow(-1);
        previousRow_ = -1;
    }
    parts_.LeftPage.FocusRow(currentRow_);
}

void TNavigator::ShowRecordOnItsPage(int position) {
    const int rows = RowsPerPage();
    pageStart_ = position / rows * rows;
    parts_.RecordPage.ShowRecordAt(position);
}

void TNavigator::FocusCurrentRow() {
    parts_.LeftPage.FocusRow(currentRow_);
}

void TNavigator::SetLetterRange(char letter) {
    db::TDatabase& database = parts_.Database;
    if (!database.Index.SetLetterRange(database.DataTable, letter)) {
        parts_.LetterBar.EnableTabs(false);
    }
}

void TNavigator::FirstPage() {
    if (pageStart_ != 0) {
        pageStart_ = 0;
        RedrawPage();
    }
}

void TNavigator::PreviousPage() {
    const int start = pageStart_;
    if (start > 0) {
        pageStart_ = std::max(0, start - RowsPerPage());
        RedrawPage();
        return;
    }
    if (parts_.Database.Index.LetterTabsActive() && currentLetter_ > 'A') {
        // Even an empty letter is shown, so paging back never skips one.
        currentLetter_ = static_cast<char>(currentLetter_ - 1);
        SelectLetterTab(currentLetter_);
        SetLetterRange(currentLetter_);
        // A start that cannot be the last page's, so the last page is always drawn.
        pageStart_ = 1;
        LastPage();
    }
}

void TNavigator::NextPage() {
    const int start = pageStart_;
    const int rows = RowsPerPage();
    if (start + rows < RangeCount()) {
        pageStart_ = start + rows;
        RedrawPage();
        return;
    }
    if (parts_.Database.Index.LetterTabsActive() && currentLetter_ < 'Z') {
        const char next = static_cast<char>(currentLetter_ + 1);
        SelectLetterTab(next);
        ShowLetter(next);
    }
}

void TNavigator::LastPage() {
    const int start = LastPageStart(RangeCount(), RowsPerPage());
    if (start != pageStart_) {
        pageStart_ = start;
        RedrawPage();
    }
}

void TNavigator::PreviousRecord() {
    StepRecord(false);
}

void TNavigator::NextRecord() {
    StepRecord(true);
}

void TNavigator::StepRecord(bool forward) {
    TRecordPage& page = parts_.RecordPage;
    const db::TIndex& index = parts_.Database.Index;
    const int position = page.RecordPosition();
    const char recordLetter = page.NewRecord() ? lastLetter_ : page.RecordLetter();
    if (!page.CommitRecord()) {
        return;
    }
    if (!index.LetterTabsActive()) {
        page.ShowRecordAt(forward ? std::min(position, RangeCount() - 1)
                                  : std::max(0, position - 2));
        return;
    }
    char letter = IsLetter(recordLetter) ? recordLetter : currentLetter_;
    const int count = index.LetterCount(letter);
    if (forward && position >= count) {
        if (const char next = index.NextNonEmptyLetter(letter); next != letter) {
            ShowRecordOfLetter(next, 0);
            return;
        }
    } else if (!forward && (position <= 1 || count == 0)) {
        if (const char previous = index.PreviousNonEmptyLetter(letter); previous != letter) {
            ShowRecordOfLetter(previous, index.LetterCount(previous) - 1);
            return;
        }
    } else {
        ShowRecordOfLetter(letter, forward ? position : position - 2);
        return;
    }
    // At either end of the records the shown record stays (loaded again, so it is locked and
    // watched for changes as before).
    ShowRecordOfLetter(letter, std::clamp(position - 1, 0, std::max(0, count - 1)));
}

void TNavigator::ShowRecordOfLetter(char letter, int at) {
    TRecordPage& page = parts_.RecordPage;
    if (letter == currentLetter_) {
        page.ShowRecordAt(at);
        return;
    }
    db::TDatabase& database = parts_.Database;
    database.Index.SetLetterRange(database.DataTable, letter);
    page.ShowRecordAt(at, [this, &database] {
        database.Index.SetLetterRange(database.DataTable, currentLetter_);
    });
}

void TNavigator::Synchronize() {
    TRecordPage& page = parts_.RecordPage;
    if (page.NewRecord() || !page.CommitRecord()) {
        return;
    }
    const HourGlass hourGlass;
    db::TDatabase& database = parts_.Database;
    const char letter = page.RecordLetter();
    if (database.Index.LetterTabsActive() && IsLetter(letter) && letter != currentLetter_) {
        SelectLetterTab(letter);
        currentLetter_ = letter;
        pageStart_ = 0;
        SetLetterRange(letter);
    }
    engine::Table& table = database.DataTable;
    // A record outside the range (a filter left it out) lands after the last.
    const int position = table.goToRecord(page.EditCursor().Table().recordNumber())
                             ? static_cast<int>(table.recordPosition())
                             : RangeCount();
    ShowRecordOnItsPage(position);
}

void TNavigator::ShowLetter(char letter) {
    currentLetter_ = letter;
    pageStart_ = 0;
    SetLetterRange(letter);
    RedrawPage();
}

void TNavigator::SelectLetterTab(char letter) {
    if (IsLetter(letter)) {
        parts_.LetterBar.Tab(letter - 'A')->SetSelected(true);
    }
}

void TNavigator::LetterKey(char letter) {
    if (parts_.Database.Index.LetterTabsActive()) {
        SelectLetterTab(letter);
        ShowLetter(letter);
    }
}

void TNavigator::RecountLetters() {
    db::TIndex& index = parts_.Database.Index;
    if (index.LetterTabsActive()) {
        const HourGlass hourGlass;
        index.CountAllLetters();
        RecolorLetterTabs();
    }
    SelectLetterTab('A');
    ShowLetter('A');
}

void TNavigator::ResetLetterTabs() {
    const bool active = parts_.Database.Index.LetterTabsActive();
    if (active) {
        pageStart_ = 0;
        currentLetter_ = 'A';
        parts_.LetterBar.show();
        RecolorLetterTabs();
    }
    parts_.LetterBar.EnableTabs(active);
}

void TNavigator::RecolorLetterTabs() {
    parts_.LetterBar.Recolor(parts_.Settings.Colors, LetterCounts(parts_.Database.Index));
}

void TNavigator::UpdatePagingCommands() {
    db::TDatabase& database = parts_.Database;
    const db::TIndex& index = database.Index;
    TRecordPage& page = parts_.RecordPage;
    const char letter = page.RecordLetter();
    PagingInput in;
    in.PageStart = pageStart_;
    in.RowsPerPage = RowsPerPage();
    in.RangeCount = RangeCount();
    in.LettersActive = index.LetterTabsActive();
    in.CurrentLetter = currentLetter_;
    in.NewRecord = page.NewRecord();
    in.RecordPosition = page.RecordPosition();
    in.RecordLetter = letter;
    in.RecordLetterCount = index.LetterCount(letter);
    in.EarlierLetterHasRecords = IsLetter(letter) && index.PreviousNonEmptyLetter(letter) != letter;
    in.LaterLetterHasRecords = IsLetter(letter) && index.NextNonEmptyLetter(letter) != letter;
    const engine::Table& all = page.EditCursor().Table();
    in.ReadOnlyAndEmpty =
        settings::ReadOnlyAccess(parts_.Settings) && (!all.isOpen() || all.recordCount() == 0);
    const PagingCommands enabled = EnabledPagingCommands(in);
    const std::pair<const char*, bool> commands[] = {
        {"FirstPage", enabled.First},         {"PreviousPage", enabled.PageUp},
        {"NextPage", enabled.PageDown},       {"LastPage", enabled.Last},
        {"PreviousRecord", enabled.Previous}, {"NextRecord", enabled.Next},
    };
    for (const auto& [command, on] : commands) {
        parts_.Commands.Enable(QString::fromLatin1(command), on);
    }
    parts_.Database.Index.RefreshLetterCount(page.LetterPanel, currentLetter_);
}

void TNavigator::UpdatePositionLabels() {
    TRecordPage& page = parts_.RecordPage;
    const db::TIndex& index = parts_.Database.Index;
    const char letter = page.RecordLetter();
    if (!page.NewRecord()) {
        lastLetter_ = letter;
    }
    // A record of another letter counts within its own letter.
    const int count = index.LetterTabsActive() && !page.NewRecord() && IsLetter(letter) &&
                              letter != currentLetter_
                          ? index.LetterCount(letter)
                          : RangeCount();
    const PositionTexts texts = PositionLabelTexts(page.RecordPosition(), count, page.NewRecord());
    parts_.RightPage.PositionLabel()->setText(texts.Position);
    parts_.RightPage.PercentLabel()->setText(texts.Percent);
}

} // namespace shelfwise::book
