#pragma once

// TFindDlg: the modeless "Search" window. A top-level window of its own, so that it and its
// Stop button stay usable while the book window is disabled during a run.

#include "db/RecordSchema.h"
#include "search/Finder.h"
#include "search/WindowParts.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <chrono>
#include <string>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace shelfwise::search {

class TFindHooks;

// Kept for the rest of the program run, in memory only.
struct TFindMemory {
    QString Text;
    QStringList History; // most recent first
    int Field = 0;       // item of the field list
    int StartFrom = 0;   // 0 = Beginning, 1 = End
    bool SkipMemos = false;
};
TFindMemory& FindMemory();

// Where a window of `own` size goes beside the book window on a screen of `screen` size: on its
// right when the book stands in the left half and there is room, else on its left.
QPoint BesideBookWindow(const QRect& book, const QSize& own, const QSize& screen);

class TFindDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 21;

    // `labels`: the field-label list of the open database (entry i names position i + 2).
    TFindDlg(engine::Table& table, const db::TFieldClasses& fields,
             std::vector<std::string> labels);
    ~TFindDlg() override;

    // Connects the hooks (nullptr disconnects them).
    void SetHooks(TFindHooks* hooks) { hooks_ = hooks; }
    // The record table is going away: a run ends at once without touching it, the hooks are
    // disconnected and the window closes.
    void Abandon();
    // The record list was re-sorted or re-filtered: there is nothing to continue from.
    void DisableContinue();
    bool Running() const { return running_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Minimized, it closes as when hidden.
    void changeEvent(QEvent* event) override;

private:
    void Find();
    void Continue(bool forward);
    // One step of the search loop and what follows it; `fresh` after a new Find.
    void RunStep(bool forward, bool fresh);
    void RunNonStop();
    void BeginRun();
    void EndRun();
    void ShowCounter();
    void ClearCounter();
    void PrepareFinder();
    void PushHistory(const QString& text);
    void FieldChosen(int index);
    void StoreMemory() const;

    engine::Table& table_;
    const db::TFieldClasses& fields_;
    std::vector<std::string> labels_;
    TFinder finder_;
    TFindHooks* hooks_ = nullptr;

    QComboBox* fieldBox_;
    QCheckBox* skipMemos_;
    QCheckBox* nonStop_;
    QGroupBox* startFrom_;
    QRadioButton* beginning_;
    QRadioButton* end_;
    QComboBox* textBox_;
    QLabel* letterLabel_;
    QLabel* counterLabel_;
    QPushButton* find_;
    QPushButton* findNext_;
    QPushButton* findPrevious_;
    QPushButton* stop_;
    QPushButton* help_;
    QPushButton* close_;

    bool running_ = false;
    bool stopRequested_ = false;
    bool closeAfterRun_ = false;
    TWindowRun run_;
};

} // namespace shelfwise::search
