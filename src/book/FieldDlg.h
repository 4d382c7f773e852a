#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace shelfwise::media {
class TDbMultiImgControl;
}

namespace shelfwise::book {

class TTableViewModel;

// "Edit Field": one field of one row of the table viewer, in a line editor, a memo editor with
// "Auto-Wrap", or the record page's picture control (load, paste, clear, ...), by the field's
// kind. OK writes the field and posts the row; when that fails the editor stays open with what
// was typed or brought in. Its size and the "Auto-Wrap" setting are kept for the rest of the run.
class TFieldDlg : public QDialog {
    Q_OBJECT
public:
    TFieldDlg(TTableViewModel& model, int row, int column, QWidget* parent = nullptr);
    ~TFieldDlg() override;

    void accept() override;
    void done(int result) override;

private:
    void ApplyWrap(bool wrap);
    // Writes what was changed into the row and posts it; false, with the reason shown, when
    // that fails.
    bool Store();

    TTableViewModel& model_;
    int row_;
    int column_;
    QString stored_;
    QLineEdit* edit_;
    QPlainTextEdit* memo_;
    QCheckBox* wrap_;
    media::TDbMultiImgControl* picture_;
};

} // namespace shelfwise::book
