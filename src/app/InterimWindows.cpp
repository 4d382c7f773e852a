#include "app/InterimWindows.h"

#include "app/InterimBookWindow.h"

namespace shelfwise::app {

std::unique_ptr<BookWindowHandle> InterimWindows::CreateBookWindow(settings::Settings& settings) {
    auto window = std::make_unique<InterimBookWindow>(settings);
    window->show();
    return window;
}

} // namespace shelfwise::app
