#pragma once

// The dialogs of export and import: where to (or from), which fields and how they are
// separated, which exchange table, and the progress window with its Stop button.

#include "exchange/ExchangeOptions.h"
#include "exchange/ExchangeProgress.h"

#include <QDialog>
#include <QElapsedTimer>
#include <filesystem>
#include <utility>
#include <vector>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace shelfwise::exchange {

// "Import Source" / "Export Target": a text file or a dBASE file.
class TImportSourceDlg : public QDialog {
    Q_OBJECT
public:
    enum Kind { TextFile = 0, DbfFile = 1 };
    TImportSourceDlg(bool exporting, QWidget* parent = nullptr);
    Kind Chosen() const;

private:
    QButtonGroup* group_;
};

// A field the options dialog offers: its table position and label.
using FieldChoice = std::pair<int, QString>;

// "Export Options" / "Import Options": the fields in file order, the separator and the
// delimiter. Whichever button closes it, the options are taken from it.
class TExpImpDlg : public QDialog {
    Q_OBJECT
public:
    TExpImpDlg(bool exporting, std::vector<FieldChoice> fields, const TExchangeOptions& options,
               QWidget* parent = nullptr);
    TExchangeOptions Options() const;
    int HelpContext() const;

private:
    void IncludeSelected();
    void IncludeAll();
    void ExcludeSelected();
    void ExcludeAll();
    void Move(int by);
    void UpdateButtons();
    QString LabelOf(int position) const;

    std::vector<FieldChoice> fields_;
    QListWidget* all_;
    QListWidget* included_;
    QPushButton* include_;
    QPushButton* includeAll_;
    QPushButton* exclude_;
    QPushButton* excludeAll_;
    QPushButton* up_;
    QPushButton* down_;
    QPushButton* ok_;
    QButtonGroup* separators_;
    QLineEdit* separator_;
    QButtonGroup* delimiters_;
    QLineEdit* delimiter_;
};

// "Enter/Select Export File Name" / "Enter/Select Import File Name": the dBASE tables of the
// exchange folder and a name box.
class TSelectFileDlg : public QDialog {
    Q_OBJECT
public:
    TSelectFileDlg(bool exporting, const std::filesystem::path& folder, QWidget* parent = nullptr);
    QString FileName() const;

private:
    QListWidget* files_;
    QLineEdit* name_;
};

// The progress window of an export or import. Events run at most every 30 ms while the
// loop asks whether to stop, so the window paints and Stop works without slowing the loop.
class TExchangeProgressDlg : public QDialog, public TExchangeProgress {
    Q_OBJECT
public:
    explicit TExchangeProgressDlg(QWidget* parent = nullptr);
    void SetCaption(const QString& caption) override;
    void SetTotal(std::uint32_t total) override;
    void SetPosition(std::uint32_t done) override;
    bool StopRequested() override;
    void Stop() { stopped_ = true; }

private:
    void LetEventsRun(bool now);

    QProgressBar* bar_;
    QLabel* count_;
    QPushButton* stop_;
    std::uint32_t total_ = 0;
    bool stopped_ = false;
    QElapsedTimer sinceEvents_;
};

} // namespace shelfwise::exchange
