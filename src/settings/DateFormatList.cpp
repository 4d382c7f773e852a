#include "settings/DateFormatList.h"

#include "settings/FileBytes.h"
#include "settings/SettingsFiles.h"
#include "settings/TextLines.h"

#include <charconv>

namespace shelfwise::settings {

void DateFormatList::AssignFields(const std::vector<int>& fieldIndices) {
    Lines.resize(fieldIndices.size());
    for (std::size_t i = 0; i < fieldIndices.size(); ++i) {
        Lines[i].FieldIndex = fieldIndices[i];
    }
}

namespace {

int ParseFormat(std::string_view line) {
    int format = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), format);
    const bool known = error == std::errc{} && end == line.data() + line.size() && format >= 0 &&
                       format < static_cast<int>(DateFormatTexts.size());
    return known ? format : 0;
}

} // namespace

DateFormatList DateFormatList::FromText(std::string_view text) {
    DateFormatList list;
    for (const auto line : SplitLines(text)) {
        list.Lines.push_back({ParseFormat(line)});
    }
    return list;
}

std::string DateFormatList::ToText() const {
    std::vector<std::string> lines;
    for (const auto& line : Lines) {
        lines.push_back(std::to_string(line.Format));
    }
    return JoinLines(lines);
}

void ReadDateFormats(Settings& settings) {
    const auto bytes = ReadFileBytes(settings.DataDir / DateFormatsFileName);
    settings.DateFormats = bytes
                               ? DateFormatList::FromText(
                                     {reinterpret_cast<const char*>(bytes->data()), bytes->size()})
                               : DateFormatList{};
}

bool WriteDateFormats(const Settings& settings) {
    const auto text = settings.DateFormats.ToText();
    return ReplaceFile(settings.DataDir / DateFormatsFileName,
                       {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

} // namespace shelfwise::settings
