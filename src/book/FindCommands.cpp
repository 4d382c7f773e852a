#include "book/FindCommands.h"

#include "book/CommandRegistry.h"
#include "book/FilterCommands.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "book/SortButton.h"
#include "book/SortCommands.h"
#include "db/Database.h"
#include "search/FindDlg.h"

#include <QEvent>
#include <QScreen>

namespace shelfwise::book {

TFindCommands::TFindCommands(TFindParts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)) {
    parts_.Commands.Define(QStringLiteral("Find"), {"B_Search", "Find1"}, [this] { ShowFind(); });
    parts_.Commands.AddKey(QStringLiteral("Find"), QKeySequence(Qt::CTRL | Qt::Key_F));
    // Every re-open of the record table (a new sort or filter) leaves nothing to continue from.
    db::TIndex& index = parts_.Database.Index;
    index.RecountLetters = [this, recount = std::move(index.RecountLetters)] {
        if (find_ != nullptr) {
            find_->DisableContinue();
        }
        if (recount) {
            recount();
        }
    };
    parts_.Window.installEventFilter(this);
}

TFindCommands::~TFindCommands() {
    if (find_ != nullptr) {
        find_->Abandon();
    }
}

void TFindCommands::ShowFind() {
    if (find_ != nullptr) {
        find_->raise();
        find_->activateWindow();
    } else {
        db::TDatabase& database = parts_.Database;
        find_ =
            new search::TFindDlg(database.DataTable, database.Fields, parts_.Settings.FieldLabels);
        find_->SetHooks(this);
        if (const QScreen* screen = parts_.Window.screen()) {
            find_->move(search::BesideBookWindow(parts_.Window.frameGeometry(), find_->size(),
                                                 screen->availableGeometry().size()));
        }
        find_->show();
    }
    parts_.Navigator.FocusCurrentRow();
}

bool TFindCommands::eventFilter(QObject* watched, QEvent* event) {
    const bool gone = event->type() == QEvent::Hide ||
                      (event->type() == QEvent::WindowStateChange && parts_.Window.isMinimized());
    if (watched == &parts_.Window && gone && find_ != nullptr) {
        find_->close();
    }
    return QObject::eventFilter(watched, event);
}

void TFindCommands::ShowLetter(char letter) {
    TNavigator& navigator = parts_.Navigator;
    navigator.SelectLetterTab(letter);
    navigator.ShowLetter(letter);
}

bool TFindCommands::BeforeSearch(bool forward, char& letter) {
    if (SearchStarting) {
        SearchStarting();
    }
    if (!parts_.RecordPage.CommitRecord()) {
        return false;
    }
    if (parts_.Database.Index.LetterTabsActive()) {
        letter = forward ? 'A' : 'Z';
        hitLetter_ = letter;
        ShowLetter(letter);
    }
    parts_.Window.setEnabled(false);
    return true;
}

bool TFindCommands::BeforeContinue() {
    if (SearchStarting) {
        SearchStarting();
    }
    if (parts_.Database.Index.LetterTabsActive() && hitLetter_ != 0 &&
        parts_.Navigator.CurrentLetter() != hitLetter_) {
        ShowLetter(hitLetter_);
    }
    parts_.Window.setEnabled(false);
    return true;
}

std::optional<char> TFindCommands::RangeExhausted(bool forward, char letter) {
    const db::TIndex& index = parts_.Database.Index;
    if (!index.LetterTabsActive() || letter == 0) {
        return std::nullopt;
    }
    const char next =
        forward ? index.NextNonEmptyLetter(letter) : index.PreviousNonEmptyLetter(letter);
    if (next == letter) {
        return std::nullopt;
    }
    ShowLetter(next);
    return next;
}

void TFindCommands::FoundRecord(const search::TFoundRecord& hit) {
    parts_.Window.setEnabled(true);
    if (parts_.Database.Index.LetterTabsActive() && hit.Letter != 0) {
        hitLetter_ = hit.Letter;
        if (parts_.Navigator.CurrentLetter() != hit.Letter) {
            ShowLetter(hit.Letter);
        }
    }
    parts_.Navigator.ShowRecordOnItsPage(static_cast<int>(hit.Position));
    parts_.ShowFoundField(hit.FieldPosition, hit.MemoOffset, hit.MemoLength);
}

void TFindCommands::SearchFailed(bool nonStop) {
    parts_.Window.setEnabled(true);
    if (!nonStop && parts_.Database.Index.LetterTabsActive() && hitLetter_ != 0 &&
        parts_.Navigator.CurrentLetter() != hitLetter_) {
        ShowLetter(hitLetter_);
    }
}

bool TFindCommands::BeforeNonStop() {
    if (SearchStarting) {
        SearchStarting();
    }
    if (!parts_.RecordPage.CommitRecord()) {
        return false;
    }
    parts_.Window.setEnabled(false);
    parts_.RecordPage.EditCursor().Close();
    // The hits' marks must survive the posts that write them and the edits after.
    parts_.Window.findChild<TFilterCommands*>()->Filter().SetEvaluation(false);
    return true;
}

void TFindCommands::AfterNonStop(bool refused, std::uint32_t found) {
    if (refused) {
        // The user kept the shown record's changes: nothing may reload it.
        parts_.Window.setEnabled(true);
        return;
    }
    parts_.SortButton.SetFilterState(found > 0 ? db::FilterState::fsNormal
                                               : db::FilterState::fsFilterOff);
    parts_.SortCommands.ReopenRecordList();
    parts_.Window.setEnabled(true);
    parts_.RecordPage.Restart();
}

} // namespace shelfwise::book
