#pragma once

#include "settings/ElementColors.h"

#include <bitset>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::settings {

inline constexpr const char* ColorTemplatesFileName = "color_t.tml";

// A named colour set. A byte of the file that is no palette index leaves its element
// unreadable: applying the template keeps that element's current colour.
struct ColorTemplate {
    std::string Name;
    ElementColors Colors;
    std::bitset<ElementCount> Unreadable{};

    // The template's colours, the unreadable elements taken from `current`.
    ElementColors ColorsOver(const ElementColors& current) const;

    bool operator==(const ColorTemplate&) const = default;
};

// The colour templates of "color_t.tml": a raw-item list of name (length byte, characters) and
// the 27 colour bytes per template. Names are unique, compared exactly.
class TColorTemplates {
public:
    // Empties the list and reads the file; a damaged file keeps the templates read before the
    // damage, a missing one leaves the list empty.
    void LoadColorTemplates(const std::filesystem::path& file);
    bool SaveColorTemplates(const std::filesystem::path& file) const;

    // False, changing nothing, when the name exists.
    bool AddColorTemplate(const std::string& name, const ElementColors& colors);
    // Index of the template of that name, or -1.
    int FindColorTemplate(std::string_view name) const;
    // An index out of range does nothing.
    void DeleteColorTemplate(std::size_t index);

    std::size_t Count() const { return templates_.size(); }
    const ColorTemplate& At(std::size_t index) const { return templates_.at(index); }

private:
    std::vector<ColorTemplate> templates_;
};

// Result of saving the current colours as a template.
enum class SaveTemplateResult { Saved, DuplicateName, WriteFailed };

// Loads "color_t.tml" of `dataDir`, adds `colors` under `name` and saves the file; a duplicate
// name saves nothing.
SaveTemplateResult SaveColorsAsTemplate(const std::filesystem::path& dataDir,
                                        const std::string& name, const ElementColors& colors);

} // namespace shelfwise::settings
