#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace shelfwise::settings {

// The 16 colours every coloured element chooses from, as 0xRRGGBB, by palette index.
inline constexpr std::size_t PaletteSize = 16;
inline constexpr std::array<std::uint32_t, PaletteSize> Palette16 = {
    0xFFFFFF, // 0 white
    0xC0C0C0, // 1 silver
    0x00FFFF, // 2 aqua
    0xFFFF00, // 3 yellow
    0x00FF00, // 4 lime
    0xFF0000, // 5 red
    0x0000FF, // 6 blue
    0xFF00FF, // 7 fuchsia
    0x800000, // 8 maroon
    0x808000, // 9 olive
    0x008000, // 10 green
    0x008080, // 11 teal
    0x000080, // 12 navy
    0x800080, // 13 purple
    0x808080, // 14 gray
    0x000000, // 15 black
};

// The colourable elements of the book window, by their index in the colour table. "TofC"
// elements belong to the left page, "DW" elements to the right page.
enum class Element : std::uint8_t {
    RowText,
    RowBackground,
    SelectedRowText,
    SelectedRowBackground,
    FilledTabText,
    FilledTabBackground,
    EmptyTabText,
    EmptyTabBackground,
    SelectedTabText,
    SelectedTabBackground,
    LeftLabelsText,
    LeftLabelsBackground,
    LeftPage,
    SpeedBar,
    WindowBackground,
    TextFieldText,
    TextFieldBackground,
    MultiLineText,
    MultiLineBackground,
    LabelText,
    LabelBackground,
    CurrencyPositiveText,
    CurrencyNegativeText,
    CurrencyBackground,
    RecordPages,
    RecordSpeedBar,
    RightPage,
};

inline constexpr std::size_t ElementCount = 27;

// The items of the Options dialog's "Application Elements:" list, by element index.
extern const std::array<std::string_view, ElementCount> ElementTexts;

// One palette index per element; "color.lst" holds exactly these 27 bytes.
struct ElementColors {
    std::array<std::uint8_t, ElementCount> Indexes = {6, 1,  0, 14, 6, 1,  14, 1, 0, 14, 6, 1, 1, 1,
                                                      1, 15, 0, 15, 0, 12, 1,  6, 5, 0,  1, 1, 1};

    std::uint8_t& operator[](Element element) { return Indexes[static_cast<std::size_t>(element)]; }
    std::uint8_t operator[](Element element) const {
        return Indexes[static_cast<std::size_t>(element)];
    }
    // The element's colour as 0xRRGGBB.
    std::uint32_t Rgb(Element element) const { return Palette16[(*this)[element]]; }

    bool operator==(const ElementColors&) const = default;
};

inline constexpr const char* ElementColorsFileName = "color.lst";

// Reads the 27 bytes of "color.lst". A missing or short file keeps every current value; a byte
// that is no palette index keeps that element's current value. False when nothing was read.
bool LoadElementColors(const std::filesystem::path& file, ElementColors& colors);
// False when the file could not be written (callers skip this silently).
bool SaveElementColors(const std::filesystem::path& file, const ElementColors& colors);

} // namespace shelfwise::settings
