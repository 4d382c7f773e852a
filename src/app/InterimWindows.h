#pragma once

#include "app/ProgramWindows.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace shelfwise::book {
class TLogForm;
}

namespace shelfwise::app {

class TAboutBox;
class TTrayForm;

// The windows that exist so far: splash, login, tray icon, maintenance log, book window, tips
// and the reminder are the real ones.
class InterimWindows : public ProgramWindows {
public:
    InterimWindows();
    ~InterimWindows() override;

    void ShowSplash() override;
    void CloseSplash() override;
    LoginResult RunLogin(settings::Settings& settings) override;
    void CreateTrayWindow(settings::Settings& settings, std::function<void()> terminate) override;
    void DestroyTrayWindow() override;
    void MarkHiddenByClose() override;
    void CreateMaintenanceLog(settings::Settings& settings) override;
    void DestroyMaintenanceLog() override;
    std::unique_ptr<BookWindowHandle>
    CreateBookWindow(settings::Settings& settings,
                     settings::TemplateCatalogues& templates) override;
    bool TrayIconAvailable() override;
    void ShowTips(settings::Settings& settings) override;
    bool ReminderCheck(settings::Settings& settings) override;
    // The book window's maintenance dialog, with what is due marked.
    void OpenMaintenance(settings::Settings& settings) override;

    TAboutBox* Splash() const { return splash_.get(); }
    TTrayForm* Tray() const { return tray_.get(); }
    book::TLogForm* MaintenanceLog() const { return log_.get(); }

private:
    std::unique_ptr<TAboutBox> splash_;
    std::unique_ptr<TTrayForm> tray_;
    std::unique_ptr<book::TLogForm> log_;
    QPointer<QWidget> bookWindow_;
};

} // namespace shelfwise::app
