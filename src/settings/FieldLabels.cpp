#include "settings/FileBytes.h"
#include "settings/SettingsFiles.h"
#include "settings/TextLines.h"

namespace shelfwise::settings {

std::optional<std::vector<std::string>> ReadLabelFile(const std::filesystem::path& file) {
    const auto bytes = ReadFileBytes(file);
    if (!bytes) {
        return std::nullopt;
    }
    std::vector<std::string> labels;
    for (const auto line :
         SplitLines({reinterpret_cast<const char*>(bytes->data()), bytes->size()})) {
        labels.emplace_back(line);
    }
    return labels;
}

bool WriteLabelFile(const std::filesystem::path& file, const std::vector<std::string>& labels) {
    const auto text = JoinLines(labels);
    return ReplaceFile(file, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

void ReloadLabels(Settings& settings) {
    settings.FieldLabels =
        ReadLabelFile(settings.DataDir / LabelsFileName).value_or(std::vector<std::string>{});
}

bool WriteLabels(const Settings& settings) {
    return WriteLabelFile(settings.DataDir / LabelsFileName, settings.FieldLabels);
}

} // namespace shelfwise::settings
