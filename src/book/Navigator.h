#pragma once

#include "settings/Settings.h"

#include <QObject>
#include <functional>

namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::book {

class TCommandRegistry;
class TLeftPage;
class TLetterBar;
class TRecordPage;
class TRightPage;

// The parts of the book window the navigator moves and shows.
struct TNavigatorParts {
    db::TDatabase& Database;
    const settings::Settings& Settings;
    TCommandRegistry& Commands;
    TRecordPage& RecordPage;
    TLeftPage& LeftPage;
    TLetterBar& LetterBar;
    // Its position labels.
    TRightPage& RightPage;
};

// Moving through the record table: the left page pages through the range of the current
// letter (and on into the neighbouring letters), the right page steps from record to record,
// the letter tabs choose the letter, and the position labels and the enabled state of every
// navigation command follow each move. It owns the list's page: where it starts in the range
// and which row shows the shown record.
class TNavigator : public QObject {
    Q_OBJECT
public:
    TNavigator(const TNavigatorParts& parts, QObject* parent);

    // Runs before the rows are refilled (what was marked on the page until then goes).
    std::function<void()> BeforeRedraw;

    char CurrentLetter() const { return currentLetter_; }
    // The position in the range of the first row.
    int PageStart() const { return pageStart_; }
    void SetPageStart(int start) { pageStart_ = start; }
    // The row of the shown record, or -1 while it is not on the page.
    int CurrentRow() const { return currentRow_; }
    // Refills the rows of the left page from PageStart and marks the shown record's row.
    void RedrawPage();
    // Off while the record table is being re-opened: nothing may read it.
    void SetRedrawAllowed(bool allowed) { redrawAllowed_ = allowed; }
    // Shows the record at that position with the page that holds it.
    void ShowRecordOnItsPage(int position);
    void FocusCurrentRow();

    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    void PreviousRecord();
    void NextRecord();
    void Synchronize();

    void ShowLetter(char letter);
    void SelectLetterTab(char letter);
    // Ctrl+Alt with a letter: that letter's tab, while letter tabs are in force.
    void LetterKey(char letter);
    void RecountLetters();
    void ResetLetterTabs();
    void RecolorLetterTabs();
    void UpdatePagingCommands();
    void UpdatePositionLabels();

private:
    void StepRecord(bool forward);
    // Shows the record at `at` of a letter's range while the list keeps the current letter.
    void ShowRecordOfLetter(char letter, int at);
    void SetLetterRange(char letter);
    int RangeCount() const;
    int RowsPerPage() const;

    TNavigatorParts parts_;
    char currentLetter_ = 'A';
    // The letter of the last record shown that was not a new one.
    char lastLetter_ = 0;
    int pageStart_ = 0;
    int currentRow_ = -1;
    int previousRow_ = -1;
    bool redrawAllowed_ = true;
};

} // namespace shelfwise::book
