#pragma once

#include <QString>
#include <functional>
#include <optional>

class QDialog;
class QFont;
class QWidget;

namespace shelfwise::platform {

// Runs a modal dialog and returns its result code (QDialog::Accepted or Rejected). While the
// program ends unattended, no dialog waits for a user: the result is Rejected.
int RunModal(QDialog& dialog);

// Test hook: while set, RunModal shows nothing and hands the dialog (built and filled, not
// shown) to the hook, whose return value is the result. A hook sets controls by their object
// names and presses buttons, so the dialog's own OK and Cancel code runs.
using DialogHook = std::function<int(QDialog&)>;
void SetDialogHook(DialogHook hook);

// Asks for one line of text under a caption and a prompt; nothing when cancelled. It runs
// through RunModal, so a dialog hook answers it (it is a QInputDialog).
std::optional<QString> AskText(QWidget* parent, const QString& caption, const QString& prompt,
                               const QString& initial = {});

// The font dialog, opened on `current` as it is drawn (a family the system lacks shows as the
// one that stands in for it, with its style and size); nothing when cancelled. It runs through
// RunModal (it is a QFontDialog).
std::optional<QFont> ChooseFont(QWidget* parent, const QFont& current);

} // namespace shelfwise::platform
