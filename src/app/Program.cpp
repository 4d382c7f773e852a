#include "app/Program.h"

#include "platform/Help.h"
#include "platform/Log.h"
#include "platform/MessageBox.h"
#include "platform/TerminationSignal.h"
#include "settings/SettingsFiles.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QSessionManager>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <string>

namespace shelfwise::app {

using settings::ProgramTitle;
namespace platform = shelfwise::platform;

namespace {

constexpr int NotClosedNormallyHelpContext = 123;

// Hints of a minimised window are not shown.
class HintFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip) {
            if (auto* widget = qobject_cast<QWidget*>(watched);
                widget && widget->window()->isMinimized()) {
                return true;
            }
        }
        return false;
    }
};

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

Program::Program(std::filesystem::path programDir, ProgramWindows& windows) : windows_(windows) {
    settings_.ProgramDir = std::move(programDir);
}

Program::~Program() = default;

int Program::Run() {
    // First of all, so a signal during start-up (also while a start-up message waits) takes the
    // orderly end too.
    platform::TerminationSignal termination;
    connect(&termination, &platform::TerminationSignal::terminationRequested, this,
            &Program::Terminate);
    if (!StartUp()) {
        return 0;
    }
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Program::EndSession);
    HintFilter hints;
    qApp->installEventFilter(&hints);

    // A closed book window may leave the program running in the tray; only the program's own
    // shutdown ends the loop.
    QApplication::setQuitOnLastWindowClosed(false);
    if (terminating_ || termination.Received()) {
        // Terminated before the loop could run: the same end, without the loop.
        loopRunning_ = true;
        Terminate();
    } else {
        QTimer::singleShot(0, this, &Program::FirstActivation);
        loopRunning_ = true;
        QApplication::exec();
    }

    AfterLoop();
    DestroyWindows();
    return 0;
}

bool Program::StartUp() {
    auto& s = settings_;
    // 1-3: directories, fixed texts, tray icon off until the options say otherwise.
    s.DataRoot = s.ProgramDir;
    QDir::setCurrent(pathText(s.ProgramDir));
    // The application name captions the message boxes; a display name would also be appended
    // by the toolkit to every window caption.
    QApplication::setApplicationName(settings::ApplicationTitle);
    platform::SetHelpDirectory(s.ProgramDir / "help");
    platform::SetLogFile(s.ProgramDir / platform::LogFileName);
    s.ShowTrayIcon = false;

    windows_.ShowSplash();
    s.LoginRefused = false;

    const bool securityOptionsExisted = settings::ReadSecurityOptions(s);
    // A first run stores its security options now, not at its end.
    settings::SaveSecurityOptions(s);
    settings::SetPublicDir(s);
    if (!settings::EnsureDataDirectories(s)) {
        platform::ShowWarning("Could not Create Data Directory!");
    }

    RunLogin(securityOptionsExisted);
    if (s.LoginRefused) {
        windows_.CloseSplash();
        platform::ShowError(s.AccountDeactivated
                                ? "Your acount has been disactivated! Please, contact the "
                                  "System Supervisor."
                                : "Incorrect Login!");
        return false;
    }

    if (!settings::ReadUiOptions(s)) {
        platform::ShowWarning("The last used database's directory no longer exists! The public "
                              "database is opened instead.");
    }
    // A missing file, or the public database chosen in place of a vanished one, is stored now:
    // options are written when they change, never at the end, where they could revert another
    // copy's changes.
    settings::SaveUiOptions(s);
    templates_ = std::make_unique<settings::TemplateCatalogues>(s.DataDir);
    templates_->Load();
    settings::ReloadLabels(s);
    settings::ReadDateFormats(s);

    windows_.CreateTrayWindow(s, [this] { CloseMainWindow(); });
    windows_.CreateMaintenanceLog(s);
    settings::ReadReminderDates(s);

    bookWindow_ = windows_.CreateBookWindow(s, *templates_);
    bookWindow_->SetCloseHandler([this] { BookWindowCloseRequested(); });
    bookWindow_->Widget()->installEventFilter(this);
    windows_.CloseSplash();

    if (s.ShowTips) {
        windows_.ShowTips(s);
    }
    return true;
}

void Program::RunLogin(bool securityOptionsExisted) {
    auto& s = settings_;
    if (!securityOptionsExisted) {
        return;
    }
    const bool noPassword =
        s.PasswordMode == settings::opt::PasswordMode::NotRequired || s.SupervisorPassword.empty();
    if (noPassword && s.UserCount == settings::opt::UserCount::OneUser) {
        return;
    }
    const LoginResult result = windows_.RunLogin(s);
    if (result != LoginResult::Accepted) {
        s.LoginRefused = true;
        s.AccountDeactivated = result == LoginResult::Deactivated;
    }
}

void Program::FirstActivation() {
    if (activated_) {
        return;
    }
    activated_ = true;
    if (!settings::ShutMarkerIsClean(settings_)) {
        QApplication::beep();
        platform::ShowMessage(
            {platform::MessageKind::Warning,
             std::string(ProgramTitle) +
                 " was not Closed normally!\nIt is STRONGLY recommended that you Restore the "
                 "last used database from your backup. For more information click on Help.",
             platform::ButtonOk | platform::ButtonHelp, NotClosedNormallyHelpContext});
    }
    settings::WriteShutMarker(settings_, settings::ShutMarker::Running);
    if (bookWindow_) {
        bookWindow_->Widget()->activateWindow();
        bookWindow_->Widget()->setFocus();
    }
}

void Program::BookWindowCloseRequested() {
    closeRefused_ = false;
    if (settings_.ShowReminders && !platform::IsUnattended() && windows_.ReminderCheck(settings_)) {
        windows_.OpenMaintenance(settings_);
    }
    if (!bookWindow_->RecordCheck()) {
        closeRefused_ = true;
        return;
    }
    bookWindow_->Widget()->hide();
    if (!RunsInTray()) {
        CloseMainWindow();
    } else if (!closing_) {
        windows_.MarkHiddenByClose();
    }
}

bool Program::RunsInTray() {
    return settings_.ShowTrayIcon && windows_.TrayIconAvailable();
}

bool Program::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && bookWindow_ &&
        watched == bookWindow_->Widget() && bookWindow_->Widget()->isMinimized()) {
        // After the state change has run its course: hiding inside it confuses the window
        // manager.
        QTimer::singleShot(0, this, &Program::BookWindowMinimized);
    }
    return QObject::eventFilter(watched, event);
}

void Program::BookWindowMinimized() {
    // The tray minimises the book window itself under a dialog it puts away; that stays so.
    QWidget* book = bookWindow_ ? bookWindow_->Widget() : nullptr;
    if (book == nullptr || !book->isVisible() || !book->isMinimized() || closing_ ||
        !RunsInTray() || QApplication::activeModalWidget() != nullptr) {
        return;
    }
    // As a close does, without the reminder: the program does not end here.
    if (!bookWindow_->RecordCheck()) {
        // The record the user still has to correct comes back into sight.
        book->showNormal();
        return;
    }
    book->hide();
    windows_.MarkHiddenByClose();
}

void Program::CloseDialogs() {
    for (int i = 0; i < MaxModalWindows; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            break;
        }
        // A dialog ends through its own close (a message box without an escape button
        // ignores a close request).
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->done(QDialog::Rejected);
        } else {
            modal->close();
        }
    }
}

bool Program::CloseMainWindow() {
    if (closing_) {
        return true;
    }
    closing_ = true;
    CloseDialogs();
    if (bookWindow_ && bookWindow_->Widget()->isVisible()) {
        BookWindowCloseRequested();
        // A record the user still has to correct keeps the program open rather than losing it.
        if (closeRefused_ && !platform::IsUnattended()) {
            closing_ = false;
            return false;
        }
    }
    QApplication::exit(0);
    return true;
}

void Program::Terminate() {
    platform::SetUnattended(true);
    // A message or dialog open now gives way; the start-up it belongs to then ends in order.
    CloseDialogs();
    if (!loopRunning_) {
        terminating_ = true;
        return;
    }
    CloseMainWindow();
}

bool Program::CloseForSessionEnd() {
    platform::ShowInformation(std::string(ProgramTitle) + " is shutting down.");
    try {
        return CloseMainWindow();
    } catch (const std::exception&) {
        platform::ShowError(std::string(ProgramTitle) +
                            " could not be shut down! Try to close it before shutting down "
                            "Windows.");
        return false;
    }
}

void Program::EndSession(QSessionManager& manager) {
    // A record the user still has to correct, or a failed close, stops the session's end.
    if (!CloseForSessionEnd()) {
        manager.cancel();
    }
}

void Program::AfterLoop() {
    settings::WriteReminderDates(settings_);
}

void Program::DestroyWindows() {
    // The last created window goes first: the maintenance log, then the book window and the
    // tray window; then the session is marked closed and the template catalogues are saved.
    windows_.DestroyMaintenanceLog();
    bookWindow_.reset();
    windows_.DestroyTrayWindow();
    settings::WriteShutMarker(settings_, settings::ShutMarker::Closed);
    templates_->Save();
}

} // namespace shelfwise::app
