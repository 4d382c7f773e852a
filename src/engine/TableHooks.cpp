#include "engine/Table.h"

namespace shelfwise::engine {

void Table::setBeforePost(std::function<void(Table&)> hook) {
    beforePost_ = std::move(hook);
}

void Table::runBeforePost() {
    if (!beforePost_ || inBeforePost_) {
        return;
    }
    // The hook may post through this cursor itself; that post must not call it again.
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(inBeforePost_);
    // A copy, so the hook may detach itself.
    const std::function<void(Table&)> hook = beforePost_;
    hook(*this);
}

} // namespace shelfwise::engine
