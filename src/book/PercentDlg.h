#pragma once

#include "book/HourGlass.h"
#include "db/Progress.h"

#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <memory>

class QPushButton;

namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::book {

class TPercent;

// "Progress": the window of a long record loop, a green percent bar that the loop advances,
// and "&Stop", which asks the loop to stop at its next record. It stays on top.
class TPercentDlg : public QDialog, public db::TProgress {
    Q_OBJECT
public:
    explicit TPercentDlg(QWidget* owner = nullptr);

    TPercent* Percent1() const { return percent_; }
    QPushButton* StopBtn() const { return stop_; }
    std::uint32_t ProgressTotal() const { return total_; }
    std::uint32_t ProgressPosition() const { return position_; }

    // The count that means 100 percent; the bar starts again at 0 of it.
    void SetProgressTotal(std::uint32_t total) override;
    void SetProgressPosition(std::uint32_t position);
    // One more done; pending events run at most every 30 ms, so the window is painted and
    // Stop is seen without slowing the loop.
    void StepProgress() override;
    // For callers that count by themselves.
    void SetProgressPercent(int percent);
    bool StopRequested() const override { return stopRequested_; }

private:
    void ShowPosition();

    TPercent* percent_;
    QPushButton* stop_;
    bool stopRequested_ = false;
    QElapsedTimer sinceEvents_;
    std::uint32_t total_ = 0;
    std::uint32_t position_ = 0;
};

// The open progress window, or none.
TPercentDlg* CurrentProgress();

// A progress window for as long as the object lives: the wait cursor, the window shown with
// the task as its caption, and it is the current progress window of the program and of the
// database's table routines. Closing restores all of that, also when the work ends by an
// exception.
class TProgressWindow {
public:
    TProgressWindow(db::TDatabase& database, QWidget* owner, const QString& task);
    ~TProgressWindow();
    TProgressWindow(const TProgressWindow&) = delete;
    TProgressWindow& operator=(const TProgressWindow&) = delete;

    TPercentDlg& Dialog() { return *dialog_; }

private:
    HourGlass hourGlass_;
    db::TDatabase& database_;
    std::unique_ptr<TPercentDlg> dialog_;
    TPercentDlg* previous_;
    db::TProgress* previousInDatabase_;
};

} // namespace shelfwise::book
