#include "settings/ModemEntries.h"

#include "settings/Settings.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <string>

namespace shelfwise::settings {
namespace {

using Entries = std::vector<ModemEntry>;

TEST(ModemEntries, ParsingKeepsWhatIsWellFormedAndDropsTheRest) {
    const std::string longName(65, 'n');
    const std::string longValue(300, 'v');
    const struct {
        const char* Why;
        std::string Text;
        Entries Expected;
    } cases[] = {
        {"all keys, any case, blanks around",
         "[Fast]\r\n init = ATZ \r\nCONFIG=AT&F\r\nhangup=ATH\r\nDial=ATDT\r\n",
         {{"Fast", "ATZ", "AT&F", "ATH", "ATDT"}}},
        {"comments, unknown keys and lines without '=' are skipped",
         "; c\n[A]\nSpeed=9600\nnonsense\nInit=I\n",
         {{"A", "I", "", "", ""}}},
        {"keys before any section belong to nobody", "Init=X\n[A]\n", {{"A", "", "", "", ""}}},
        {"a repeated section (any case) keeps its first appearance, its keys dropped",
         "[A]\nInit=1\n[a]\nInit=2\n[B]\nInit=3\n",
         {{"A", "1", "", "", ""}, {"B", "3", "", "", ""}}},
        {"unclosed, empty and overlong names are refused with their keys",
         "[Open\nInit=1\n[]\nInit=2\n[" + longName + "]\nInit=3\n[C]\n",
         {{"C", "", "", "", ""}}},
        {"a name or value with a control character is refused",
         std::string("[Bad\x01]\n[D]\nInit=a\x02z\nConfig=ok\n"),
         {{"D", "", "ok", "", ""}}},
        {"values are capped",
         "[E]\nConfig=" + longValue + "\n",
         {{"E", "", std::string(255, 'v'), "", ""}}},
        {"a value keeps its '=' signs", "[F]\nInit=AT=1\n", {{"F", "AT=1", "", "", ""}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseModemEntries(c.Text), c.Expected) << c.Why;
    }
}

TEST(ModemEntries, AHugeFileGivesAtMostFiveHundredEntries) {
    std::string text;
    for (int i = 0; i < 2000; ++i) {
        text += "[m" + std::to_string(i) + "]\nInit=x\n";
    }
    const Entries entries = ParseModemEntries(text);
    ASSERT_EQ(entries.size(), 500u);
    EXPECT_EQ(entries.back().Name, "m499");
}

TEST(ModemEntries, FormattedEntriesReadBackTheSame) {
    const Entries entries{{"Custom Settings", "ATZ", "AT&F E0", "+++ATH0", "ATDP"},
                          {"Other", "", "", "", ""}};
    const std::string text = FormatModemEntries(entries);
    EXPECT_TRUE(text.starts_with("[Custom Settings]\r\nInit=ATZ\r\nConfig=AT&F E0\r\n"));
    EXPECT_EQ(ParseModemEntries(text), entries);
}

class ModemFilesTest : public ::testing::Test {
protected:
    ModemFilesTest() {
        settings.ProgramDir = scratch.Path();
        settings.DataDir = scratch.Path() / "DATA";
        std::filesystem::create_directories(settings.DataDir);
    }
    test::TemporaryDirectory scratch;
    Settings settings;
};

TEST_F(ModemFilesTest, TheUsersFileOverridesTheProgramsAndCustomSettingsComeFirst) {
    test::WriteText(settings.ProgramDir / ModemEntriesFileName,
                    "[One]\nInit=P1\n[Two]\nInit=P2\n[custom settings]\nInit=PC\n");
    test::WriteText(settings.DataDir / ModemEntriesFileName, "[TWO]\nInit=U2\n[Three]\n");
    const TModemEntries modems(settings);
    EXPECT_EQ(modems.Names(), (std::vector<std::string>{"Custom Settings", "One", "TWO", "Three"}));
    EXPECT_EQ(modems.Find("two")->Init, "U2");
    EXPECT_EQ(modems.Find("Custom Settings")->Init, "PC");
    EXPECT_FALSE(modems.Find("Four"));
}

TEST_F(ModemFilesTest, WithoutAnyFileOnlyCustomSettingsIsListed) {
    const TModemEntries modems(settings);
    EXPECT_EQ(modems.Names(), std::vector<std::string>{"Custom Settings"});
}

TEST_F(ModemFilesTest, TheCustomEntryIsWrittenToTheUsersFileKeepingItsOtherEntries) {
    test::WriteText(settings.ProgramDir / ModemEntriesFileName, "[One]\nInit=P1\n");
    test::WriteText(settings.DataDir / ModemEntriesFileName, "[Mine]\nInit=M\n");
    const std::string programFile = test::ReadText(settings.ProgramDir / ModemEntriesFileName);
    TModemEntries modems(settings);
    ASSERT_TRUE(modems.WriteCustom({"ignored", "I", "C", "H", "ATDP"}));
    EXPECT_EQ(modems.Find("Custom Settings")->Config, "C");
    EXPECT_EQ(ParseModemEntries(test::ReadText(settings.DataDir / ModemEntriesFileName)),
              (Entries{{"Custom Settings", "I", "C", "H", "ATDP"}, {"Mine", "M", "", "", ""}}));
    // The installed program's file is never written.
    EXPECT_EQ(test::ReadText(settings.ProgramDir / ModemEntriesFileName), programFile);

    // A file that cannot be replaced is reported, and the old contents stay.
    std::filesystem::remove(settings.DataDir / ModemEntriesFileName);
    std::filesystem::create_directories(settings.DataDir / ModemEntriesFileName / "x");
    EXPECT_FALSE(modems.WriteCustom({"", "J", "", "", ""}));
    EXPECT_EQ(modems.Find("Custom Settings")->Init, "I");
}

} // namespace
} // namespace shelfwise::settings
