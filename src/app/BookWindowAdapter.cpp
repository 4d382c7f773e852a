#include "app/BookWindowAdapter.h"

#include "book/FilterCommands.h"
#include "book/LeftPage.h"
#include "book/ListHeader.h"
#include "book/SoftwareBookWindow.h"
#include "settings/TemplateCatalogues.h"

namespace shelfwise::app {

BookWindowAdapter::BookWindowAdapter(settings::Settings& settings,
                                     settings::TemplateCatalogues& templates)
    : window_(std::make_unique<book::TSoftwareBookWindow>(settings)) {
    window_->LeftPage()->Header()->SetTemplates(&templates.Headers);
    window_->SetLabelTemplates(&templates.Labels);
    window_->findChild<book::TFilterCommands*>()->SetTemplates(&templates.Filters);
}

bool BookWindowAdapter::RecordCheck() {
    return window_->CommitRecord();
}

BookWindowAdapter::~BookWindowAdapter() = default;

QWidget* BookWindowAdapter::Widget() {
    return window_.get();
}

void BookWindowAdapter::SetCloseHandler(std::function<void()> handler) {
    window_->SetCloseHandler(std::move(handler));
}

} // namespace shelfwise::app
