#pragma once

#include "book/CommandParts.h"
#include "search/ReplaceDlg.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>

namespace shelfwise::search {
class TFilterList;
}

namespace shelfwise::book {

class TFindCommands;
class TSortButton;
class TSortCommands;

// The parts of the book window a replace works on.
struct TReplaceParts : TCommandParts {
    TSortCommands& SortCommands;
    TSortButton& SortButton;
    TFindCommands& FindCommands;
    search::TFilterList& Filter;
};

// The book window's side of the Replace window: the command that opens it (menu and speed
// bar) and the hooks through which a run gets the record table and the scope, and gives the
// book window back.
class TReplaceCommands : public QObject, public search::TReplaceHooks {
    Q_OBJECT
public:
    TReplaceCommands(TReplaceParts parts, QObject* parent);
    ~TReplaceCommands() override;

    // The maintenance log: a run that changed records is entered under the database's name.
    std::function<void(const QString& database, const QString& description)> AddLogEntry;

    // Shows the Replace window beside the book window, making it first when there is none.
    void ShowReplace();
    // Frees the Replace window (a search starts, or the book window hides).
    void FreeReplace();
    search::TReplaceDlg* ReplaceWindow() const { return replace_; }

    std::optional<search::TReplaceScope> BeforeReplace() override;
    void AfterReplace(bool refused) override;
    void LogEntry(const std::string& description) override;

protected:
    // The book window hiding or minimized frees the Replace window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::filesystem::path OpenDatabase() const;

    TReplaceParts parts_;
    QPointer<search::TReplaceDlg> replace_;
    // The data table the window's field list was made from.
    std::filesystem::path openedOn_;
};

} // namespace shelfwise::book
