#include "settings/ElementColors.h"

#include "settings/FileBytes.h"

namespace shelfwise::settings {

const std::array<std::string_view, ElementCount> ElementTexts = {
    "TofC - Record Button Text",
    "TofC - Record Button Background",
    "TofC - Selected Record Button Text",
    "TofC - Selected Record Button Background",
    "TofC - Not Empty Letter Tab Text",
    "TofC - Not Empty Letter Tab Background",
    "TofC - Empty Letter Tab Text",
    "TofC - Empty Letter Tab Background",
    "TofC - Selected Letter Tab Text",
    "TofC - Selected Letter Tab Background",
    "TofC - Labels Text",
    "TofC - Labels Background",
    "TofC - Pages",
    "TofC - Speed Bar",
    "TofC - Window Background",
    "DW   - Text Fields Text",
    "DW   - Text Fields Background",
    "DW   - Multi-line Fields Text",
    "DW   - Multi-line Fields Background",
    "DW   - Labels Text",
    "DW   - Labels Background",
    "DW   - Currency Text (>0)",
    "DW   - Currency Text (<0)",
    "DW   - Currency Background",
    "DW   - Pages",
    "DW   - Speed Bar",
    "DW   - Window Background",
};

bool LoadElementColors(const std::filesystem::path& file, ElementColors& colors) {
    const auto bytes = ReadFileBytes(file);
    if (!bytes || bytes->size() < ElementCount) {
        return false;
    }
    // A damaged byte must not index past the palette.
    for (std::size_t i = 0; i < ElementCount; ++i) {
        if ((*bytes)[i] < PaletteSize) {
            colors.Indexes[i] = (*bytes)[i];
        }
    }
    return true;
}

bool SaveElementColors(const std::filesystem::path& file, const ElementColors& colors) {
    return ReplaceFile(file, colors.Indexes);
}

} // namespace shelfwise::settings
