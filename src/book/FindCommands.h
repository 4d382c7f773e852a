#pragma once

#include "book/CommandParts.h"
#include "search/FindDlg.h"
#include "search/FindHooks.h"

#include <QObject>
#include <QPointer>
#include <functional>

namespace shelfwise::book {

class TSortButton;
class TSortCommands;

// The parts of the book window a search moves and shows.
struct TFindParts : TCommandParts {
    TSortCommands& SortCommands;
    TSortButton& SortButton;
    // Shows a hit in the field at that table position: the matched characters of a memo.
    std::function<void(int position, int offset, int length)> ShowFoundField;
};

// The book window's side of the Find window: the command that opens it (menu, speed bar,
// Ctrl+F) and the hooks through which a search moves the book window's record table, shows its
// hits and marks the records of a non-stop search.
class TFindCommands : public QObject, public search::TFindHooks {
    Q_OBJECT
public:
    TFindCommands(TFindParts parts, QObject* parent);
    ~TFindCommands() override;

    // Called as a search starts: a Replace window gives way to it.
    std::function<void()> SearchStarting;

    // Brings the open Find window to the front, or opens one beside the book window.
    void ShowFind();
    search::TFindDlg* FindWindow() const { return find_; }

    bool BeforeSearch(bool forward, char& letter) override;
    bool BeforeContinue() override;
    std::optional<char> RangeExhausted(bool forward, char letter) override;
    void FoundRecord(const search::TFoundRecord& hit) override;
    void SearchFailed(bool nonStop) override;
    bool BeforeNonStop() override;
    void AfterNonStop(bool refused, std::uint32_t found) override;

protected:
    // The book window hiding or minimized closes the Find window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowLetter(char letter);

    TFindParts parts_;
    QPointer<search::TFindDlg> find_;
    // The letter of the last hit, or of the start of the search.
    char hitLetter_ = 0;
};

} // namespace shelfwise::book
