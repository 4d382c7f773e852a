#pragma once

#include <cstdint>
#include <string>

namespace shelfwise::engine::keyencoding {

// D key: the Julian day number as a little-endian IEEE double; the blank date is 0.0.
std::string dateKey(std::int64_t day);

} // namespace shelfwise::engine::keyencoding
