#pragma once

#include <stdexcept>
#include <string>

namespace shelfwise::engine {

// The one error type of the table engine: every failed operation throws it with a message
// that callers may show to the user as it stands.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& message);
};

} // namespace shelfwise::engine
