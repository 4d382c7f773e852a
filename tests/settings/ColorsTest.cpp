#include "settings/ColorTemplates.h"
#include "settings/ElementColors.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace shelfwise::settings {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::TemporaryDirectory;
using test::WriteBytes;

Bytes ColorBytes(const ElementColors& colors) {
    return Bytes(colors.Indexes.begin(), colors.Indexes.end());
}

TEST(ElementColorsTest, DefaultsFollowTheElementTable) {
    const ElementColors colors;
    EXPECT_EQ(colors.Rgb(Element::RowText), 0x0000FFu);
    EXPECT_EQ(colors.Rgb(Element::SelectedRowBackground), 0x808080u);
    EXPECT_EQ(colors.Rgb(Element::LabelText), 0x000080u);
    EXPECT_EQ(colors.Rgb(Element::CurrencyNegativeText), 0xFF0000u);
    EXPECT_EQ(colors.Rgb(Element::RightPage), 0xC0C0C0u);
    EXPECT_EQ(ElementTexts[21], "DW   - Currency Text (>0)");
    EXPECT_EQ(ElementTexts[14], "TofC - Window Background");
}

TEST(ElementColorsTest, ColorListIsTheTwentySevenBytesPerDatabaseDirectory) {
    TemporaryDirectory first, second;
    ElementColors red, navy;
    red.Indexes.fill(5);
    navy.Indexes.fill(12);
    ASSERT_TRUE(SaveElementColors(first / "color.lst", red));
    ASSERT_TRUE(SaveElementColors(second / "color.lst", navy));
    EXPECT_EQ(ReadBytes(first / "color.lst"), ColorBytes(red));

    ElementColors read;
    EXPECT_TRUE(LoadElementColors(first / "color.lst", read));
    EXPECT_EQ(read, red);
    EXPECT_TRUE(LoadElementColors(second / "color.lst", read));
    EXPECT_EQ(read, navy);
}

TEST(ElementColorsTest, UnusableFilesKeepTheColoursHeld) {
    TemporaryDirectory dir;
    ElementColors held;
    held[Element::SpeedBar] = 10;

    ElementColors read = held;
    EXPECT_FALSE(LoadElementColors(dir / "color.lst", read)); // missing
    EXPECT_EQ(read, held);

    WriteBytes(dir / "color.lst", Bytes(26, 3)); // short
    EXPECT_FALSE(LoadElementColors(dir / "color.lst", read));
    EXPECT_EQ(read, held);

    Bytes damaged(27, 2);
    damaged[13] = 200; // no palette index
    WriteBytes(dir / "color.lst", damaged);
    EXPECT_TRUE(LoadElementColors(dir / "color.lst", read));
    EXPECT_EQ(read[Element::SpeedBar], 10);
    EXPECT_EQ(read[Element::RowText], 2);
}

TEST(ColorTemplatesTest, FileIsARawItemListOfNamesAndColourBytes) {
    TemporaryDirectory dir;
    TColorTemplates templates;
    ElementColors night;
    night.Indexes.fill(15);
    ASSERT_TRUE(templates.AddColorTemplate("Day", ElementColors{}));
    ASSERT_TRUE(templates.AddColorTemplate("Night", night));
    ASSERT_TRUE(templates.SaveColorTemplates(dir / "color_t.tml"));

    Bytes expected{1, 3, 'D', 'a', 'y'};
    const Bytes day = ColorBytes(ElementColors{});
    expected.insert(expected.end(), day.begin(), day.end());
    expected.insert(expected.end(), {5, 'N', 'i', 'g', 'h', 't'});
    expected.insert(expected.end(), 27, 15);
    expected.push_back(0);
    EXPECT_EQ(ReadBytes(dir / "color_t.tml"), expected);

    TColorTemplates read;
    read.LoadColorTemplates(dir / "color_t.tml");
    ASSERT_EQ(read.Count(), 2u);
    EXPECT_EQ(read.At(1), (ColorTemplate{"Night", night}));

    // Cut inside the second template: the first one stays.
    expected.resize(expected.size() - 10);
    WriteBytes(dir / "color_t.tml", expected);
    read.LoadColorTemplates(dir / "color_t.tml");
    ASSERT_EQ(read.Count(), 1u);
    EXPECT_EQ(read.At(0).Name, "Day");
}

// A byte that is no palette index gives the element's current colour, and stays unreadable
// through a save.
TEST(ColorTemplatesTest, AnUnreadableColourKeepsTheCurrentOne) {
    TemporaryDirectory dir;
    Bytes file{1, 4, 'S', 'o', 'f', 't'};
    Bytes colours(27, 3);
    colours[13] = 200;
    colours[26] = 16;
    file.insert(file.end(), colours.begin(), colours.end());
    file.push_back(0);
    WriteBytes(dir / "color_t.tml", file);

    TColorTemplates read;
    read.LoadColorTemplates(dir / "color_t.tml");
    ASSERT_EQ(read.Count(), 1u);
    ElementColors current;
    current[Element::SpeedBar] = 10;
    current[Element::RightPage] = 12;
    const ElementColors applied = read.At(0).ColorsOver(current);
    EXPECT_EQ(applied[Element::SpeedBar], 10);
    EXPECT_EQ(applied[Element::RightPage], 12);
    EXPECT_EQ(applied[Element::RowText], 3);
    EXPECT_EQ(applied[Element::RecordSpeedBar], 3);

    ASSERT_TRUE(read.SaveColorTemplates(dir / "color_t.tml"));
    TColorTemplates again;
    again.LoadColorTemplates(dir / "color_t.tml");
    ASSERT_EQ(again.Count(), 1u);
    EXPECT_EQ(again.At(0), read.At(0));
}

TEST(ColorTemplatesTest, NamesAreUniqueExactly) {
    TColorTemplates templates;
    EXPECT_TRUE(templates.AddColorTemplate("Blue", ElementColors{}));
    EXPECT_FALSE(templates.AddColorTemplate("Blue", ElementColors{}));
    EXPECT_TRUE(templates.AddColorTemplate("blue", ElementColors{}));
    EXPECT_EQ(templates.FindColorTemplate("blue"), 1);
    EXPECT_EQ(templates.FindColorTemplate("BLUE"), -1);
    templates.DeleteColorTemplate(0);
    templates.DeleteColorTemplate(7);
    EXPECT_EQ(templates.FindColorTemplate("blue"), 0);
}

TEST(ColorTemplatesTest, SavingUnderAnExistingNameChangesNothing) {
    TemporaryDirectory dir;
    ElementColors first;
    first.Indexes.fill(4);
    EXPECT_EQ(SaveColorsAsTemplate(dir.Path(), "Mine", first), SaveTemplateResult::Saved);
    const Bytes saved = ReadBytes(dir / "color_t.tml");

    EXPECT_EQ(SaveColorsAsTemplate(dir.Path(), "Mine", ElementColors{}),
              SaveTemplateResult::DuplicateName);
    EXPECT_EQ(ReadBytes(dir / "color_t.tml"), saved);

    EXPECT_EQ(SaveColorsAsTemplate(dir.Path(), "Other", ElementColors{}),
              SaveTemplateResult::Saved);
    TColorTemplates read;
    read.LoadColorTemplates(dir / "color_t.tml");
    EXPECT_EQ(read.Count(), 2u);
    EXPECT_EQ(read.At(0).Colors, first);
}

} // namespace
} // namespace shelfwise::settings
