#include "settings/FileBytes.h"
#include "settings/SettingsFiles.h"
#include "settings/TextLines.h"

namespace shelfwise::settings {

void ReloadLabels(Settings& settings) {
    settings.FieldLabels.clear();
    const auto bytes = ReadFileBytes(settings.DataDir / LabelsFileName);
    if (!bytes) {
        return;
    }
    for (const auto line :
         SplitLines({reinterpret_cast<const char*>(bytes->data()), bytes->size()})) {
        settings.FieldLabels.emplace_back(line);
    }
}

bool WriteLabels(const Settings& settings) {
    const auto text = JoinLines(settings.FieldLabels);
    return ReplaceFile(settings.DataDir / LabelsFileName,
                       {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

} // namespace shelfwise::settings
