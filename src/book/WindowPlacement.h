#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace shelfwise::book {

inline constexpr const char* WindowPlacementFileName = "wnd.dat";

// "wnd.dat": five little-endian 32-bit integers, all 0 for a maximized window.
struct WindowPlacement {
    std::int32_t Top = 0;
    std::int32_t Left = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t RightPageWidth = 0;

    // Width, height and right page width all positive: restore this geometry.
    bool IsNormal() const;
    // All three 0: open maximized. Anything else is unusable and changes nothing.
    bool IsMaximized() const;

    bool operator==(const WindowPlacement&) const = default;
};

// The area a window may take: the screen's available geometry.
struct ScreenArea {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// A normal placement made to fit the area: no larger than it, its top left corner inside it
// and the right page no wider than the window. Other placements come back unchanged.
WindowPlacement FitToScreen(WindowPlacement placement, const ScreenArea& area);

// Nothing when the file is missing or shorter than 20 bytes.
std::optional<WindowPlacement> ReadWindowPlacementFile(const std::filesystem::path& file);
bool WriteWindowPlacementFile(const std::filesystem::path& file, const WindowPlacement& placement);

} // namespace shelfwise::book
