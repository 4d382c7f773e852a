#pragma once

// "Set Filter" and the field condition dialog. Both edit the filter list directly; the book
// window applies it afterwards.

#include "db/IndexManager.h"
#include "db/RecordSchema.h"
#include "search/Filter.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace shelfwise::settings {
class TTemplateList;
}

namespace shelfwise::search {

// Asks for a name and saves the current filter as a template under it; a refusal is shown.
void SaveFilterTemplate(settings::TTemplateList* templates, QWidget* parent);

class TFilterDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 23;
    // The result of "Apply"; "OK" is QDialog::Accepted.
    static constexpr int Applied = 2;

    // `labels[n - 1]` is the label of field number n (table position n + 1). `dateFormat` is
    // the filter date format option, changed by the condition dialog's date boxes.
    TFilterDlg(TFilterList& filter, const engine::Table& table, const db::TFieldClasses& fields,
               const std::vector<std::string>& labels, settings::TTemplateList& templates,
               db::FilterState scope, int& dateFormat, QWidget* parent = nullptr);

    // The "Load Filter Template" dialog: the file of the chosen template, none when cancelled.
    std::function<std::optional<std::string>(QWidget* parent)> ChooseTemplate;
    // The values of the field's lookup list, for "Populate"; none when it has no list.
    std::function<std::optional<std::vector<std::string>>(int position)> LookupValues;

    db::FilterState Scope() const;

    QListWidget* AllFields() const { return allFields_; }
    QListWidget* UsedFields() const { return usedFields_; }

    void AddSelected();
    void RemoveSelected();
    void RemoveAll();
    void EditSelected();
    void LoadTemplate();
    void SaveTemplate();

private:
    QString LabelOf(int position) const;
    void FillUsed(int select);
    void UpdateButtons();

    TFilterList& filter_;
    const engine::Table& table_;
    const std::vector<std::string>& labels_;
    settings::TTemplateList& templates_;
    int& dateFormat_;
    std::vector<int> positions_; // of the lines of allFields_
    QListWidget* allFields_;
    QListWidget* usedFields_;
    QPushButton* remove_;
    QPushButton* removeAll_;
    QPushButton* edit_;
    QPushButton* apply_;
    QButtonGroup* scope_;
};

// "Filter For <label>": the condition of one entry.
class TFieldFilterDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 85;

    TFieldFilterDlg(TFilterList& filter, int index, const QString& label, int& dateFormat,
                    std::optional<std::vector<std::string>> lookupValues,
                    QWidget* parent = nullptr);

    void accept() override;

private:
    void ShowOperator(int op);
    void ChangeDateFormat(int format);
    std::string Stored(const QString& shown) const;
    QString Shown(const std::string& stored) const;
    // A value box's text in the stored form, and back.
    std::string StoredBox(const QLineEdit* box) const;
    void ShowBox(QLineEdit* box, const std::string& stored);

    TFilterList& filter_;
    int index_;
    std::uint8_t type_;
    int& dateFormat_;
    QButtonGroup* operators_;
    QLineEdit* value1_;
    QLineEdit* value2_;
    QLabel* joiner_;
    QPlainTextEdit* lines_;
    QPushButton* removeLine_;
    QPushButton* fill_ = nullptr;
};

// "Applying Filter - Please Wait...": the percentage done, on top of every window and centred
// on the screen, with the hourglass while it is open. Stop ends the run between stretches.
class TApplyFilterDlg : public QDialog {
    Q_OBJECT
public:
    explicit TApplyFilterDlg(QWidget* parent = nullptr);
    ~TApplyFilterDlg() override;

    // Shows the percentage and lets the user interface run; false once Stop was pressed.
    bool Step(int percent);

    QProgressBar* Bar() const { return bar_; }
    QPushButton* StopButton() const { return stop_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QProgressBar* bar_;
    QPushButton* stop_;
    bool stopped_ = false;
};

} // namespace shelfwise::search
