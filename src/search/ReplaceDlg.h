#pragma once

// TReplaceDlg: the modeless "Replace" window. A top-level window of its own, so that it and its
// Stop button stay usable while the book window is disabled during a run. Close only hides it;
// it keeps its choices until it is freed.

#include "db/IndexManager.h"
#include "db/RecordSchema.h"
#include "search/Replacer.h"
#include "search/WindowParts.h"

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace shelfwise::editors {
class TDateEdit;
}

namespace shelfwise::search {

class TFilterList;

// What the book window hands over for a run.
struct TReplaceScope {
    db::FilterState Scope = db::FilterState::fsFilterOff;
    // The user's filter while the marks are its own; none otherwise.
    const TFilterList* Filter = nullptr;
};

// What the Replace window asks of the window whose records it changes.
class TReplaceHooks {
public:
    virtual ~TReplaceHooks() = default;
    // After the user confirmed a run: none cancels it (the shown record's changes were kept).
    // Otherwise the record table stands on the shown record, the edit cursor is closed and the
    // book window disabled.
    virtual std::optional<TReplaceScope> BeforeReplace() = 0;
    // After every confirmed run; `refused` when BeforeReplace said no.
    virtual void AfterReplace(bool refused) = 0;
    // A run changed records: the maintenance log's entry.
    virtual void LogEntry(const std::string& description) = 0;
};

class TReplaceDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 130;

    // `labels`: the field-label list of the open database (entry i names position i + 2).
    TReplaceDlg(engine::Table& table, const db::TFieldClasses& fields,
                std::vector<std::string> labels);
    ~TReplaceDlg() override;

    // Connects the hooks (nullptr disconnects them).
    void SetHooks(TReplaceHooks* hooks) { hooks_ = hooks; }
    // Frees the window, once its run has ended when one runs.
    void Free();
    // The record table is going away: a run ends at once without touching it, the hooks are
    // disconnected and the window is freed.
    void Abandon();
    bool Running() const { return running_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int TargetField() const;
    ReplaceMode Mode() const;
    // Shows the boxes of the field's kind and mode and enables Replace when it has a value.
    void SetUpControls();
    void Replace();
    void RunReplace(const TReplaceScope& scope);
    TReplaceSettings Settings(const TReplaceScope& scope) const;
    void Report(const TReplaceResult& result);
    void ShowCounter();
    void EndOfRun();

    engine::Table& table_;
    std::vector<std::string> labels_;
    TReplacer replacer_;
    TReplaceHooks* hooks_ = nullptr;

    QComboBox* fieldBox_;
    QGroupBox* modeGroup_;
    std::vector<QRadioButton*> modes_;
    QLabel* edit1Caption_;
    QLineEdit* edit1_;
    QGroupBox* startGroup_;
    QRadioButton* fromCurrent_;
    QRadioButton* fromFirst_;
    QLabel* valueCaption_;
    QLineEdit* edit2_;
    QPlainTextEdit* memo1_;
    editors::TDateEdit* dateEdit1_;
    QLabel* counterCaption_;
    QLabel* counterLabel_;
    QPushButton* replace_;
    QPushButton* help_;
    QPushButton* stop_;
    QPushButton* close_;

    TWindowRun run_;
    bool running_ = false;
    bool stopRequested_ = false;
    bool hideAfterRun_ = false;
    bool freeAfterRun_ = false;
    bool abandoned_ = false;
};

} // namespace shelfwise::search
