#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::app {

inline constexpr const char* HintsFileName = "hints.txt";

// "Tips": one tip of the program directory's tips file at a time. The file's first line is the
// number of tips; tip k runs from the line "[k]" to the next line that begins with "[". The file
// is read again for every tip shown.
class THintsDlg : public QDialog {
    Q_OBJECT
public:
    // `pick` gives the first tip from the number of tips; by default a random one of 1..N-1,
    // so the last tip is only ever reached by "Next".
    THintsDlg(settings::Settings& settings, QWidget* parent = nullptr,
              std::function<int(int)> pick = {});

    int Count() const { return count_; }
    int Current() const { return current_; }
    void ShowTip(int tip);

    QPlainTextEdit* Memo() const { return memo_; }
    QPushButton* PreviousButton() const { return previous_; }
    QPushButton* NextButton() const { return next_; }
    QCheckBox* DoNotDisplay() const { return doNotDisplay_; }

    // Any way out takes the check box over into ShowTips.
    void done(int result) override;

private:
    settings::Settings& settings_;
    QPlainTextEdit* memo_;
    QPushButton* previous_;
    QPushButton* next_;
    QCheckBox* doNotDisplay_;
    int count_ = 0;
    int current_ = 0;
};

} // namespace shelfwise::app
