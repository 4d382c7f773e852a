#pragma once

#include "settings/ReminderDates.h"

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::app {

// "Reminder": asks the user to back up, re-index and pack. "&GoTo Maintenance" is offered only
// to a user who may use maintenance; for anyone else it stays disabled.
class TReminderDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 28;

    explicit TReminderDlg(bool maintenanceAllowed, QWidget* parent = nullptr);

    // Shows the dialog modally; true when it was closed with "&GoTo Maintenance". "&Close",
    // Escape and the close box answer false.
    bool Run();
    bool DoNotDisplayChecked() const;

    QPlainTextEdit* Memo() const { return memo_; }
    QPushButton* GoToButton() const { return goTo_; }
    QPushButton* CloseButton() const { return close_; }
    QCheckBox* DoNotDisplay() const { return doNotDisplay_; }

private:
    QPlainTextEdit* memo_;
    QPushButton* goTo_;
    QPushButton* close_;
    QCheckBox* doNotDisplay_;
};

// The close-time check: when a reminder is due, its date moves to `now` and the dialog is
// shown; the check box switches ShowReminders off (saved at once). True when the user chose to
// go to maintenance.
bool ReminderCheck(settings::Settings& settings, settings::LocalTime now);

} // namespace shelfwise::app
