#include "settings/ReadError.h"

namespace shelfwise::settings {

ReadError::ReadError(const std::string& message) : std::runtime_error(message) {}

} // namespace shelfwise::settings
