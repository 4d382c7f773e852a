#include "app/InterimWindows.h"

#include "app/BookWindowAdapter.h"

namespace shelfwise::app {

std::unique_ptr<BookWindowHandle> InterimWindows::CreateBookWindow(settings::Settings& settings) {
    return std::make_unique<BookWindowAdapter>(settings);
}

} // namespace shelfwise::app
