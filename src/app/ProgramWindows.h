#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace shelfwise::settings {
struct Settings;
struct TemplateCatalogues;
} // namespace shelfwise::settings

namespace shelfwise::app {

// What the login dialog reports.
enum class LoginResult { Accepted, Refused, Deactivated };

// The book window as start-up and shutdown see it.
class BookWindowHandle {
public:
    virtual ~BookWindowHandle() = default;
    virtual QWidget* Widget() = 0;
    // Checks and saves the record being edited; false refuses the close. An unattended run
    // keeps the record without asking whenever it can.
    virtual bool RecordCheck() = 0;
    // The window calls the handler instead of closing itself: start-up decides what a close
    // means (hide into the tray, or end the program).
    virtual void SetCloseHandler(std::function<void()> handler) = 0;
};

// The windows and dialogs the start-up sequence creates. Each arrives with its own piece of the
// program; an implementation supplies what exists so far.
class ProgramWindows {
public:
    virtual ~ProgramWindows() = default;

    // The about box shown as a splash until the book window is up.
    virtual void ShowSplash() = 0;
    virtual void CloseSplash() = 0;

    // The login dialog; on acceptance it sets the session's user, access and DatabaseDir.
    virtual LoginResult RunLogin(settings::Settings& settings) = 0;

    // The tray window: the notification-area icon and its menu, created before the maintenance
    // log; `terminate` ends the program as closing the main window does. Destroyed after the
    // book window.
    virtual void CreateTrayWindow(settings::Settings& settings,
                                  std::function<void()> terminate) = 0;
    virtual void DestroyTrayWindow() = 0;
    // The book window was hidden by its close while the program keeps running in the tray.
    virtual void MarkHiddenByClose() = 0;

    // The maintenance log window: created after the tray window, destroyed first at the end
    // (its destruction saves the log).
    virtual void CreateMaintenanceLog(settings::Settings& settings) = 0;
    virtual void DestroyMaintenanceLog() = 0;

    // The book window opens the database of the settings and shows its first page; its menus
    // offer the session's templates. Destroying it saves the window's own files and the two
    // options files.
    virtual std::unique_ptr<BookWindowHandle>
    CreateBookWindow(settings::Settings& settings, settings::TemplateCatalogues& templates) = 0;

    // Whether a tray icon can bring a hidden book window back; without one, closing the book
    // window ends the program even when the options ask to keep running in the tray.
    virtual bool TrayIconAvailable() = 0;

    // Shown modally at start-up when ShowTips is on.
    virtual void ShowTips(settings::Settings& settings) = 0;

    // The maintenance reminder at close time: true when the user chose to go to maintenance,
    // which then opens.
    virtual bool ReminderCheck(settings::Settings& settings) = 0;
    virtual void OpenMaintenance(settings::Settings& settings) = 0;
};

} // namespace shelfwise::app
