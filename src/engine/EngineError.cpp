#include "engine/EngineError.h"

namespace shelfwise::engine {

EngineError::EngineError(const std::string& message) : std::runtime_error(message) {}

} // namespace shelfwise::engine
