#pragma once

#include <stdexcept>
#include <string>

namespace shelfwise::settings {

// Thrown by the value stream reader when the data ends early or holds an unexpected tag.
class ReadError : public std::runtime_error {
public:
    explicit ReadError(const std::string& message);
};

} // namespace shelfwise::settings
