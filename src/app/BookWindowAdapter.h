#pragma once

#include "app/ProgramWindows.h"

#include <memory>

namespace shelfwise::book {
class TSoftwareBookWindow;
}

namespace shelfwise::app {

// The book window as start-up drives it. Freeing it frees the window, whose destruction saves
// its own files.
class BookWindowAdapter : public BookWindowHandle {
public:
    BookWindowAdapter(settings::Settings& settings, settings::TemplateCatalogues& templates);
    ~BookWindowAdapter() override;

    QWidget* Widget() override;
    // The record being edited is checked and saved; false keeps the window open.
    bool RecordCheck() override;
    void SetCloseHandler(std::function<void()> handler) override;

private:
    std::unique_ptr<book::TSoftwareBookWindow> window_;
};

} // namespace shelfwise::app
