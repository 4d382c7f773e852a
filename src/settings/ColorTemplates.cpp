#include "settings/ColorTemplates.h"

#include "settings/FileBytes.h"
#include "settings/ReadError.h"
#include "settings/ValueStreamReader.h"
#include "settings/ValueStreamWriter.h"

#include <algorithm>

namespace shelfwise::settings {

namespace {
// Written for a colour that was unreadable when the file was read: no palette index.
constexpr std::uint8_t UnreadableColor = 0xFF;
} // namespace

ElementColors ColorTemplate::ColorsOver(const ElementColors& current) const {
    ElementColors colors = Colors;
    for (std::size_t i = 0; i < ElementCount; ++i) {
        if (Unreadable.test(i)) {
            colors.Indexes[i] = current.Indexes[i];
        }
    }
    return colors;
}

void TColorTemplates::LoadColorTemplates(const std::filesystem::path& file) {
    templates_.clear();
    const auto bytes = ReadFileBytes(file);
    if (!bytes) {
        return;
    }
    try {
        ValueStreamReader in(*bytes);
        in.ReadListBegin();
        while (!in.EndOfList()) {
            ColorTemplate entry;
            entry.Name = in.ReadShortString();
            const auto block = in.ReadBlock(ElementCount);
            for (std::size_t i = 0; i < ElementCount; ++i) {
                if (block[i] < PaletteSize) {
                    entry.Colors.Indexes[i] = block[i];
                } else {
                    entry.Unreadable.set(i);
                }
            }
            templates_.push_back(std::move(entry));
        }
    } catch (const ReadError&) {
        // The templates read so far stay.
    }
}

bool TColorTemplates::SaveColorTemplates(const std::filesystem::path& file) const {
    ValueStreamWriter out;
    out.WriteListBegin();
    for (const auto& entry : templates_) {
        out.WriteShortString(entry.Name);
        // An unreadable colour stays unreadable.
        auto bytes = entry.Colors.Indexes;
        for (std::size_t i = 0; i < ElementCount; ++i) {
            if (entry.Unreadable.test(i)) {
                bytes[i] = UnreadableColor;
            }
        }
        out.WriteBlock(bytes);
    }
    out.WriteListEnd();
    return ReplaceFile(file, out.Bytes());
}

bool TColorTemplates::AddColorTemplate(const std::string& name, const ElementColors& colors) {
    if (FindColorTemplate(name) >= 0) {
        return false;
    }
    templates_.push_back({name, colors});
    return true;
}

int TColorTemplates::FindColorTemplate(std::string_view name) const {
    const auto found = std::find_if(templates_.begin(), templates_.end(),
                                    [name](const ColorTemplate& t) { return t.Name == name; });
    return found == templates_.end() ? -1 : static_cast<int>(found - templates_.begin());
}

void TColorTemplates::DeleteColorTemplate(std::size_t index) {
    if (index < templates_.size()) {
        templates_.erase(templates_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

SaveTemplateResult SaveColorsAsTemplate(const std::filesystem::path& dataDir,
                                        const std::string& name, const ElementColors& colors) {
    const auto file = dataDir / ColorTemplatesFileName;
    TColorTemplates templates;
    templates.LoadColorTemplates(file);
    if (!templates.AddColorTemplate(name, colors)) {
        return SaveTemplateResult::DuplicateName;
    }
    return templates.SaveColorTemplates(file) ? SaveTemplateResult::Saved
                                              : SaveTemplateResult::WriteFailed;
}

} // namespace shelfwise::settings
