#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace shelfwise::book {

class TTableViewModel;

// "Edit Field": one field of one row of the table viewer, in a line editor, a memo editor with
// "Auto-Wrap", or a picture, by the field's kind. OK writes the field and posts the row; when
// that fails the editor stays open with what was typed. Its size and the "Auto-Wrap" setting
// are kept for the rest of the run.
class TFieldDlg : public QDialog {
    Q_OBJECT
public:
    TFieldDlg(TTableViewModel& model, int row, int column, QWidget* parent = nullptr);
    ~TFieldDlg() override;

    void accept() override;
    void done(int result) override;

private:
    void ApplyWrap(bool wrap);

    TTableViewModel& model_;
    int row_;
    int column_;
    QString stored_;
    QLineEdit* edit_;
    QPlainTextEdit* memo_;
    QCheckBox* wrap_;
    QLabel* picture_;
};

} // namespace shelfwise::book
