#pragma once

#include "app/ProgramWindows.h"

#include <QMainWindow>

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::app {

// A plain main window in the book window's place. Closing it asks start-up what to do;
// destroying it saves the two options files, as the book window does.
class InterimBookWindow : public QMainWindow, public BookWindowHandle {
    Q_OBJECT
public:
    explicit InterimBookWindow(settings::Settings& settings);
    ~InterimBookWindow() override;

    QWidget* Widget() override { return this; }
    bool RecordCheck() override { return true; }
    void SetCloseHandler(std::function<void()> handler) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    settings::Settings& settings_;
    std::function<void()> closeHandler_;
};

} // namespace shelfwise::app
