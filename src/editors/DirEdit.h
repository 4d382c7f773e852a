#pragma once

#include "editors/BtnEdit.h"

namespace shelfwise::editors {

// A directory name with a button that opens a directory chooser. Leaving it for another field
// with a name that is no directory shows "Invalid directory!" and brings the focus back; the
// text keeps its case.
class TDirEdit : public TMyBtnEdit {
    Q_OBJECT
public:
    static constexpr int HelpContext = 114;

    explicit TDirEdit(QWidget* parent);

    // Looks at the file system only; the process's working directory is left alone.
    bool NamesDirectory() const;

protected:
    void ButtonClick() override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool refusing_ = false;
};

} // namespace shelfwise::editors
