#include "settings/FileBytes.h"
#include "settings/SettingsFiles.h"

#include <algorithm>
#include <string_view>

namespace shelfwise::settings {

bool WriteShutMarker(const Settings& settings, ShutMarker marker) {
    const std::string_view text = marker == ShutMarker::Running ? RunningMarker : ClosedMarker;
    return ReplaceFile(settings.DataDir / ShutMarkerFileName,
                       {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

bool ShutMarkerIsClean(const Settings& settings) {
    const auto bytes = ReadFileBytes(settings.DataDir / ShutMarkerFileName);
    if (!bytes) {
        return true;
    }
    const auto lineEnd = std::find_if(bytes->begin(), bytes->end(),
                                      [](std::uint8_t c) { return c == '\r' || c == '\n'; });
    return std::string_view(reinterpret_cast<const char*>(bytes->data()),
                            static_cast<std::size_t>(lineEnd - bytes->begin())) == ClosedMarker;
}

} // namespace shelfwise::settings
