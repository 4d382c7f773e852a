#pragma once

#include <QObject>

namespace shelfwise::book {

class TBookWindow;

// Moving through the record table: the left page pages through the range of the current
// letter (and on into the neighbouring letters), the right page steps from record to record,
// the letter tabs choose the letter, and the position labels and the enabled state of every
// navigation command follow each move.
class TNavigator : public QObject {
    Q_OBJECT
public:
    explicit TNavigator(TBookWindow& window);

    char CurrentLetter() const { return currentLetter_; }

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
    // A letter tab or its key: the record is stored before the letter is shown.
    void ChooseLetter(char letter);
    void StepRecord(bool forward);
    // Shows the record at `at` of a letter's range while the list keeps the current letter.
    void ShowRecordOfLetter(char letter, int at);
    void SetLetterRange(char letter);
    int RangeCount() const;
    int RowsPerPage() const;
    void Redraw();

    TBookWindow& window_;
    char currentLetter_ = 'A';
    // The letter of the last record shown that was not a new one.
    char lastLetter_ = 0;
};

} // namespace shelfwise::book
