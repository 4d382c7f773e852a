#include "app/InterimWindows.h"

#include "app/AboutBox.h"
#include "app/BookWindowAdapter.h"
#include "app/HintsDlg.h"
#include "app/ReminderDlg.h"
#include "app/TrayForm.h"
#include "book/BookWindow.h"
#include "book/LogForm.h"
#include "book/LoginDlg.h"
#include "book/ReplaceCommands.h"
#include "book/SoftwareBookWindow.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QSystemTrayIcon>

namespace shelfwise::app {

InterimWindows::InterimWindows() = default;
InterimWindows::~InterimWindows() = default;

void InterimWindows::ShowSplash() {
    splash_ = std::make_unique<TAboutBox>(TAboutBox::Use::Splash);
    splash_->show();
    // Painted now: start-up keeps the loop from running until the book window is up.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void InterimWindows::CloseSplash() {
    splash_.reset();
}

LoginResult InterimWindows::RunLogin(settings::Settings& settings) {
    switch (book::RunLogin(settings)) {
    case db::LoginResult::Accepted:
        return LoginResult::Accepted;
    case db::LoginResult::Deactivated:
        return LoginResult::Deactivated;
    case db::LoginResult::Refused:
        break;
    }
    return LoginResult::Refused;
}

void InterimWindows::CreateTrayWindow(settings::Settings& settings,
                                      std::function<void()> terminate) {
    tray_ = std::make_unique<TTrayForm>(settings, TrayIconAvailable());
    tray_->Terminate = std::move(terminate);
}

void InterimWindows::DestroyTrayWindow() {
    tray_.reset();
}

void InterimWindows::MarkHiddenByClose() {
    if (tray_) {
        tray_->MarkHiddenByClose();
    }
}

void InterimWindows::CreateMaintenanceLog(settings::Settings& settings) {
    log_ = std::make_unique<book::TLogForm>(settings.DataDir);
}

void InterimWindows::DestroyMaintenanceLog() {
    log_.reset();
}

std::unique_ptr<BookWindowHandle>
InterimWindows::CreateBookWindow(settings::Settings& settings,
                                 settings::TemplateCatalogues& templates) {
    auto window = std::make_unique<BookWindowAdapter>(settings, templates, [this] {
        if (tray_) {
            tray_->ShowTrayIconChanged();
        }
    });
    if (tray_) {
        BookWindowAdapter* book = window.get();
        tray_->SetBookWindow(window->Widget(), [book] { book->RecordCheck(); });
    }
    bookWindow_ = window->Widget();
    // Maintenance and a replace that changed records are entered in the maintenance log.
    const auto addLogEntry = [this](const QString& database, const QString& description) {
        if (log_) {
            log_->AddLogEntry(database, description);
        }
    };
    if (auto* book = qobject_cast<book::TBookWindow*>(window->Widget()); book && log_) {
        book->AddLogEntry = addLogEntry;
        book->ShowLog = [this] {
            if (log_) {
                log_->ShowLog();
            }
        };
    }
    if (auto* replace = window->Window().findChild<book::TReplaceCommands*>()) {
        replace->AddLogEntry = addLogEntry;
    }
    return window;
}

void InterimWindows::OpenMaintenance(settings::Settings&) {
    if (auto* window = qobject_cast<book::TBookWindow*>(bookWindow_.data())) {
        window->MaintenanceCommand(true);
    }
}

bool InterimWindows::TrayIconAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void InterimWindows::ShowTips(settings::Settings& settings) {
    THintsDlg dialog(settings);
    platform::RunModal(dialog);
}

bool InterimWindows::ReminderCheck(settings::Settings& settings) {
    return app::ReminderCheck(settings, shelfwise::settings::LocalNow());
}

} // namespace shelfwise::app
