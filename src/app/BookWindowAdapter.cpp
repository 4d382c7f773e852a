#include "app/BookWindowAdapter.h"

#include "book/SoftwareBookWindow.h"

namespace shelfwise::app {

BookWindowAdapter::BookWindowAdapter(settings::Settings& settings)
    : window_(std::make_unique<book::TSoftwareBookWindow>(settings)) {}

BookWindowAdapter::~BookWindowAdapter() = default;

QWidget* BookWindowAdapter::Widget() {
    return window_.get();
}

void BookWindowAdapter::SetCloseHandler(std::function<void()> handler) {
    window_->SetCloseHandler(std::move(handler));
}

} // namespace shelfwise::app
