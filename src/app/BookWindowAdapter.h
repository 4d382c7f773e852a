#pragma once

#include "app/ProgramWindows.h"

#include <memory>

namespace shelfwise::book {
class TSoftwareBookWindow;
}

namespace shelfwise::app {

// The book window as start-up drives it, with the commands that open the program's own dialogs
// (options, tips, about). Freeing it frees the window, whose destruction saves its own files.
class BookWindowAdapter : public BookWindowHandle {
public:
    // `trayIconChanged` follows the tray icon option after the Options dialog.
    BookWindowAdapter(settings::Settings& settings, settings::TemplateCatalogues& templates,
                      std::function<void()> trayIconChanged = {});
    ~BookWindowAdapter() override;

    QWidget* Widget() override;
    // The record being edited is checked and saved; false keeps the window open.
    bool RecordCheck() override;
    void SetCloseHandler(std::function<void()> handler) override;

    book::TSoftwareBookWindow& Window() { return *window_; }

private:
    void OptionsCommand();

    settings::Settings& settings_;
    settings::TemplateCatalogues& templates_;
    std::function<void()> trayIconChanged_;
    std::unique_ptr<book::TSoftwareBookWindow> window_;
};

} // namespace shelfwise::app
