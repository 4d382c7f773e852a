#include "app/InterimWindows.h"

#include "app/BookWindowAdapter.h"

namespace shelfwise::app {

std::unique_ptr<BookWindowHandle>
InterimWindows::CreateBookWindow(settings::Settings& settings,
                                 settings::TemplateCatalogues& templates) {
    return std::make_unique<BookWindowAdapter>(settings, templates);
}

} // namespace shelfwise::app
