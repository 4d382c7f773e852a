#include "book/WindowPlacement.h"

#include "settings/ByteCursor.h"
#include "settings/FileBytes.h"
#include "settings/ValueStreamWriter.h"

#include <algorithm>

namespace shelfwise::book {

bool WindowPlacement::IsNormal() const {
    return Width > 0 && Height > 0 && RightPageWidth > 0;
}

bool WindowPlacement::IsMaximized() const {
    return Width == 0 && Height == 0 && RightPageWidth == 0;
}

WindowPlacement FitToScreen(WindowPlacement placement, const ScreenArea& area) {
    if (!placement.IsNormal() || area.Width <= 0 || area.Height <= 0) {
        return placement;
    }
    placement.Width = std::min(placement.Width, area.Width);
    placement.Height = std::min(placement.Height, area.Height);
    placement.RightPageWidth = std::min(placement.RightPageWidth, placement.Width);
    // Computed in 64 bits: stored corners may be anywhere in the 32-bit range.
    const auto clampCorner = [](std::int32_t corner, int start, int length, int size) {
        const std::int64_t last = std::int64_t{start} + length - size;
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(corner, start, std::max<std::int64_t>(start, last)));
    };
    placement.Left = clampCorner(placement.Left, area.Left, area.Width, placement.Width);
    placement.Top = clampCorner(placement.Top, area.Top, area.Height, placement.Height);
    return placement;
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
