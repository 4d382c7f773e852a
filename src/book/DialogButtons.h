#pragma once

#include <optional>

class QBoxLayout;
class QDialog;
class QPushButton;

namespace shelfwise::book {

// Adds the row of "&OK", "&Cancel" and, with a help context, "&Help" at the foot of a dialog,
// named OKBtn, CancelBtn and HelpBtn. OK is the default button and accepts (through the
// dialog's own accept when it overrides it); Cancel rejects. Returns the OK button.
QPushButton* AddDialogButtons(QDialog& dialog, QBoxLayout& layout,
                              std::optional<int> helpContext = std::nullopt);

} // namespace shelfwise::book
