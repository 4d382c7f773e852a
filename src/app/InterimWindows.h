#pragma once

#include "app/ProgramWindows.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace shelfwise::app {

class TAboutBox;
class TTrayForm;

// The windows that exist so far: splash, login, tray icon, book window and tips are the real
// ones; the maintenance log and the reminder are not built yet and do nothing here.
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
    void CreateMaintenanceLog(settings::Settings&) override {}
    void DestroyMaintenanceLog() override {}
    std::unique_ptr<BookWindowHandle>
    CreateBookWindow(settings::Settings& settings,
                     settings::TemplateCatalogues& templates) override;
    bool TrayIconAvailable() override;
    void ShowTips(settings::Settings& settings) override;
    bool ReminderCheck(settings::Settings&) override { return false; }
    // The book window's maintenance dialog, with what is due marked.
    void OpenMaintenance(settings::Settings& settings) override;

    TAboutBox* Splash() const { return splash_.get(); }
    TTrayForm* Tray() const { return tray_.get(); }

private:
    std::unique_ptr<TAboutBox> splash_;
    std::unique_ptr<TTrayForm> tray_;
    QPointer<QWidget> bookWindow_;
};

} // namespace shelfwise::app
