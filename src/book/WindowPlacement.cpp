#include "book/WindowPlacement.h"

#include "settings/ByteCursor.h"
#include "settings/FileBytes.h"
#include "settings/ValueStreamWriter.h"

namespace shelfwise::book {

bool WindowPlacement::IsNormal() const {
    return Width > 0 && Height > 0 && RightPageWidth > 0;
}

bool WindowPlacement::IsMaximized() const {
    return Width == 0 && Height == 0 && RightPageWidth == 0;
}

std::optional<WindowPlacement> ReadWindowPlacementFile(const std::filesystem::path& file) {
    const auto bytes = settings::ReadFileBytes(file);
    if (!bytes) {
        return std::nullopt;
    }
    settings::ByteCursor in(*bytes);
    WindowPlacement placement;
    for (std::int32_t* field : {&placement.Top, &placement.Left, &placement.Width,
                                &placement.Height, &placement.RightPageWidth}) {
        const auto value = in.Int32();
        if (!value) {
            return std::nullopt;
        }
        *field = *value;
    }
    return placement;
}

bool WriteWindowPlacementFile(const std::filesystem::path& file, const WindowPlacement& placement) {
    settings::ValueStreamWriter out;
    for (std::int32_t field : {placement.Top, placement.Left, placement.Width, placement.Height,
                               placement.RightPageWidth}) {
        out.WriteInt32(field);
    }
    return settings::ReplaceFile(file, out.Bytes());
}

} // namespace shelfwise::book
