#include "platform/Beep.h"

#include <QApplication>

namespace shelfwise::platform {

namespace {

std::function<void()>& Hook() {
    static std::function<void()> hook;
    return hook;
}

} // namespace

void Beep() {
    if (Hook()) {
        Hook()();
    } else {
        QApplication::beep();
    }
}

void SetBeepHook(std::function<void()> hook) {
    Hook() = std::move(hook);
}

} // namespace shelfwise::platform
