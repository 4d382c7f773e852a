#pragma once

#include "app/ProgramWindows.h"
#include "settings/Settings.h"
#include "settings/TemplateCatalogues.h"

#include <QObject>
#include <filesystem>
#include <memory>

class QSessionManager;

namespace shelfwise::app {

// The program's life: the start-up sequence, the message loop and the orderly end with its
// fixed order of saves. The windows it creates come through ProgramWindows.
class Program : public QObject {
    Q_OBJECT
public:
    Program(std::filesystem::path programDir, ProgramWindows& windows);
    ~Program() override;

    // Runs start-up, the message loop and shutdown; returns the exit code.
    int Run();

    settings::Settings& Settings() { return settings_; }
    // The header, label and filter template catalogues of the session (after start-up).
    settings::TemplateCatalogues* Templates() { return templates_.get(); }

    // Closing the main (tray) window ends the program: the book window is closed first. A close
    // already under way is not started again. False when the book window's record check
    // refused and the program stays open.
    bool CloseMainWindow();

    // SIGTERM or SIGHUP: the same orderly end, with no dialog that waits for a user. Before the
    // loop runs, start-up finishes without waiting for anyone and the end follows at once.
    void Terminate();

    // The desktop session ends: false when the program could not close, so the session's end
    // must be cancelled.
    bool CloseForSessionEnd();

    // The desktop session ends.
    void EndSession(QSessionManager& manager);

protected:
    // A minimise of the book window while the program runs in the tray takes it to the tray.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool StartUp();
    void RunLogin(bool securityOptionsExisted);
    void FirstActivation();
    void BookWindowCloseRequested();
    void BookWindowMinimized();
    // Whether a closed or minimised book window waits in the tray.
    bool RunsInTray();
    // The open messages and dialogs give way, so that the end is not left waiting for them.
    static void CloseDialogs();
    void AfterLoop();
    void DestroyWindows();

    settings::Settings settings_;
    ProgramWindows& windows_;
    std::unique_ptr<settings::TemplateCatalogues> templates_;
    std::unique_ptr<BookWindowHandle> bookWindow_;
    bool activated_ = false;
    bool closing_ = false;      // the main window's close is under way
    bool closeRefused_ = false; // the book window's record check refused the last close
    bool loopRunning_ = false;  // start-up is over
    bool terminating_ = false;  // a termination arrived during start-up
    static constexpr int MaxModalWindows = 16;
};

} // namespace shelfwise::app
