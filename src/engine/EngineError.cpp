#include "engine/EngineError.h"

namespace shelfwise::engine {

EngineError::EngineError(const std::string& message, Reason reason)
    : std::runtime_error(message), reason_(reason) {}

} // namespace shelfwise::engine
