#include "book/FindCommands.h"

#include "book/BookWindow.h"
#include "book/FilterCommands.h"
#include "book/LeftPage.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "book/SortButton.h"
#include "book/SortCommands.h"
#include "search/FindDlg.h"

#include <QEvent>
#include <QScreen>

namespace shelfwise::book {

TFindCommands::TFindCommands(TBookWindow& window) : QObject(&window), window_(window) {
    window_.Commands().Define(QStringLiteral("Find"), {"B_Search", "Find1"},
                              [this] { ShowFind(); });
    window_.Commands().AddKey(QStringLiteral("Find"), QKeySequence(Qt::CTRL | Qt::Key_F));
    // Every re-open of the record table (a new sort or filter) leaves nothing to continue from.
    db::TIndex& index = window_.Database().Index;
    index.RecountLetters = [this, recount = std::move(index.RecountLetters)] {
        if (find_ != nullptr) {
            find_->DisableContinue();
        }
        if (recount) {
            recount();
        }
    };
    window_.installEventFilter(this);
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
        return;
    }
    db::TDatabase& database = window_.Database();
    find_ =
        new search::TFindDlg(database.DataTable, database.Fields, window_.Settings().FieldLabels);
    find_->SetHooks(this);
    if (const QScreen* screen = window_.screen()) {
        find_->move(search::BesideBookWindow(window_.frameGeometry(), find_->size(),
                                             screen->availableGeometry().size()));
    }
    find_->show();
}

bool TFindCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Hide && find_ != nullptr) {
        find_->close();
    }
    return QObject::eventFilter(watched, event);
}

void TFindCommands::ShowLetter(char letter) {
    TNavigator& navigator = *window_.Navigator();
    navigator.SelectLetterTab(letter);
    navigator.ShowLetter(letter);
}

bool TFindCommands::BeforeSearch(bool forward, char& letter) {
    if (!window_.CommitRecord()) {
        return false;
    }
    if (window_.Database().Index.LetterTabsActive()) {
        letter = forward ? 'A' : 'Z';
        hitLetter_ = letter;
        ShowLetter(letter);
    }
    window_.setEnabled(false);
    return true;
}

bool TFindCommands::BeforeContinue() {
    if (window_.Database().Index.LetterTabsActive() && hitLetter_ != 0 &&
        window_.Navigator()->CurrentLetter() != hitLetter_) {
        ShowLetter(hitLetter_);
    }
    window_.setEnabled(false);
    return true;
}

std::optional<char> TFindCommands::RangeExhausted(bool forward, char letter) {
    const db::TIndex& index = window_.Database().Index;
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
    window_.setEnabled(true);
    if (window_.Database().Index.LetterTabsActive() && hit.Letter != 0) {
        hitLetter_ = hit.Letter;
        if (window_.Navigator()->CurrentLetter() != hit.Letter) {
            ShowLetter(hit.Letter);
        }
    }
    const int position = static_cast<int>(hit.Position);
    const int rows = std::max(1, static_cast<int>(window_.LeftPage()->RowButtons().size()));
    window_.SetPageStart(position / rows * rows);
    window_.ShowRecordAt(position);
    window_.FocusFoundField(hit.FieldPosition, hit.MemoOffset, hit.MemoLength);
}

void TFindCommands::SearchFailed(bool nonStop) {
    window_.setEnabled(true);
    if (!nonStop && window_.Database().Index.LetterTabsActive() && hitLetter_ != 0 &&
        window_.Navigator()->CurrentLetter() != hitLetter_) {
        ShowLetter(hitLetter_);
    }
}

bool TFindCommands::BeforeNonStop() {
    if (!window_.CommitRecord()) {
        return false;
    }
    window_.setEnabled(false);
    window_.RecordPage()->EditCursor().Close();
    // The hits' marks must survive the posts that write them and the edits after.
    window_.findChild<TFilterCommands*>()->Filter().SetEvaluation(false);
    return true;
}

void TFindCommands::AfterNonStop(bool refused, std::uint32_t found) {
    if (refused) {
        // The user kept the shown record's changes: nothing may reload it.
        window_.setEnabled(true);
        return;
    }
    window_.LeftPage()->SortButton()->SetFilterState(found > 0 ? db::FilterState::fsNormal
                                                               : db::FilterState::fsFilterOff);
    window_.SortCommands()->ReopenRecordList();
    window_.setEnabled(true);
    window_.RestartBook();
}

} // namespace shelfwise::book
