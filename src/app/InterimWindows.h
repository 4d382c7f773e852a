#pragma once

#include "app/ProgramWindows.h"

namespace shelfwise::app {

// The windows that exist so far: the book window and the login dialog are the real ones; splash,
// maintenance log, tips, reminder and tray icon are not built yet and do nothing here.
class InterimWindows : public ProgramWindows {
public:
    void ShowSplash() override {}
    void CloseSplash() override {}
    LoginResult RunLogin(settings::Settings& settings) override;
    void CreateMaintenanceLog(settings::Settings&) override {}
    void DestroyMaintenanceLog() override {}
    std::unique_ptr<BookWindowHandle>
    CreateBookWindow(settings::Settings& settings,
                     settings::TemplateCatalogues& templates) override;
    bool TrayIconAvailable() override { return false; }
    void ShowTips(settings::Settings&) override {}
    bool ReminderCheck(settings::Settings&) override { return false; }
    void OpenMaintenance(settings::Settings&) override {}
};

} // namespace shelfwise::app
