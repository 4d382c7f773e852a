#pragma once

#include <functional>

namespace shelfwise::platform {

// The system's short warning sound, for a refused key.
void Beep();

// Test hook: while set, the hook runs instead of the sound, so tests count beeps.
void SetBeepHook(std::function<void()> hook);

} // namespace shelfwise::platform
