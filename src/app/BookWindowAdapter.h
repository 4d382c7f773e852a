#pragma once

#include "app/ProgramWindows.h"

#include <memory>

namespace shelfwise::book {
class TSoftwareBookWindow;
}

namespace shelfwise::app {

// The book window as start-up drives it. Freeing it frees the window, whose destruction saves
// its own files and the two options files.
class BookWindowAdapter : public BookWindowHandle {
public:
    explicit BookWindowAdapter(settings::Settings& settings);
    ~BookWindowAdapter() override;

    QWidget* Widget() override;
    // The record page does not edit records yet, so there is nothing to settle.
    bool RecordCheck() override { return true; }
    void SetCloseHandler(std::function<void()> handler) override;

private:
    std::unique_ptr<book::TSoftwareBookWindow> window_;
};

} // namespace shelfwise::app
