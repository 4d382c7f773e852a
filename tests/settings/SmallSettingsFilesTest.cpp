#include "settings/SettingsFiles.h"
#include "settings/TemplateCatalogues.h"
#include "support/TestFiles.h"

#include <functional>
#include <gtest/gtest.h>

namespace shelfwise::settings {
namespace {

using namespace std::chrono;
using test::Bytes;
using test::ReadBytes;
using test::TemporaryDirectory;
using test::WriteBytes;
using test::WriteText;

class SmallSettingsFiles : public ::testing::Test {
protected:
    SmallSettingsFiles() { settings.DataDir = data.Path(); }

    TemporaryDirectory data;
    Settings settings;
};

// ---- labels.dat ----

TEST_F(SmallSettingsFiles, LabelsAreCrLfLinesInFieldOrder) {
    settings.FieldLabels = {"Application Name:", "Producer:", "Caf\xe9 Notes:"};
    ASSERT_TRUE(WriteLabels(settings));
    const std::string text = "Application Name:\r\nProducer:\r\nCaf\xe9 Notes:\r\n";
    EXPECT_EQ(ReadBytes(data / "labels.dat"), Bytes(text.begin(), text.end()));

    WriteText(data / "labels.dat", "First\nSecond\r\nThird");
    settings.FieldLabels = {"stale"};
    ReloadLabels(settings);
    EXPECT_EQ(settings.FieldLabels, (std::vector<std::string>{"First", "Second", "Third"}));

    std::filesystem::remove(data / "labels.dat");
    ReloadLabels(settings);
    EXPECT_TRUE(settings.FieldLabels.empty());
}

// ---- date.dat ----

TEST_F(SmallSettingsFiles, DateFormatsAreCrLfLinesOfFormatIndexes) {
    settings.DateFormats.Lines = {{2}, {0}, {3}};
    ASSERT_TRUE(WriteDateFormats(settings));
    EXPECT_EQ(ReadBytes(data / "date.dat"),
              (Bytes{'2', '\r', '\n', '0', '\r', '\n', '3', '\r', '\n'}));

    Settings read;
    read.DataDir = data.Path();
    ReadDateFormats(read);
    EXPECT_EQ(read.DateFormats.Lines, (std::vector<DateFormatLine>{{2}, {0}, {3}}));
}

TEST_F(SmallSettingsFiles, DateFormatsReadToleratesOddLines) {
    const struct {
        const char* text;
        std::vector<int> formats;
    } cases[] = {
        {"", {}},
        {"1", {1}},
        {"1\n2\n", {1, 2}},
        {"3\r\n\r\n1\r\n", {3, 0, 1}},
        {"7\r\n-1\r\nx\r\n 2\r\n2", {0, 0, 0, 0, 2}},
    };
    for (const auto& c : cases) {
        WriteText(data / "date.dat", c.text);
        ReadDateFormats(settings);
        std::vector<int> formats;
        for (const auto& line : settings.DateFormats.Lines) {
            formats.push_back(line.Format);
        }
        EXPECT_EQ(formats, c.formats) << c.text;
    }
    std::filesystem::remove(data / "date.dat");
    ReadDateFormats(settings);
    EXPECT_TRUE(settings.DateFormats.Lines.empty());
}

TEST_F(SmallSettingsFiles, DateFormatLinesFollowTheLayoutsDateFields) {
    DateFormatList list = DateFormatList::FromText("1\r\n2\r\n3\r\n");
    list.AssignFields({6, 7});
    EXPECT_EQ(list.Lines, (std::vector<DateFormatLine>{{1, 6}, {2, 7}}));
    list.AssignFields({6, 7, 20});
    EXPECT_EQ(list.Lines, (std::vector<DateFormatLine>{{1, 6}, {2, 7}, {0, 20}}));
    EXPECT_EQ(list.ToText(), "1\r\n2\r\n0\r\n");
}

TEST_F(SmallSettingsFiles, DateFormatsWriteErrorIsReported) {
    settings.DataDir = data / "missing";
    settings.DateFormats.Lines = {{1}};
    EXPECT_FALSE(WriteDateFormats(settings));
}

// ---- shut.dat ----

TEST_F(SmallSettingsFiles, ShutMarkerIsWrittenWithoutLineEnd) {
    ASSERT_TRUE(WriteShutMarker(settings, ShutMarker::Running));
    EXPECT_EQ(ReadBytes(data / "shut.dat"), (Bytes{'#', '1', '0', '*'}));
    EXPECT_FALSE(ShutMarkerIsClean(settings));
    ASSERT_TRUE(WriteShutMarker(settings, ShutMarker::Closed));
    EXPECT_EQ(ReadBytes(data / "shut.dat"), (Bytes{'@', 'a', '$', ')'}));
    EXPECT_TRUE(ShutMarkerIsClean(settings));
}

TEST_F(SmallSettingsFiles, ShutMarkerStates) {
    EXPECT_TRUE(ShutMarkerIsClean(settings)) << "missing";
    const struct {
        const char* contents;
        bool clean;
    } cases[] = {
        {"@a$)", true}, {"@a$)\r\nmore", true}, {"#10*", false},
        {"", false},    {"@a$) ", false},       {"@a$", false},
    };
    for (const auto& c : cases) {
        WriteText(data / "shut.dat", c.contents);
        EXPECT_EQ(ShutMarkerIsClean(settings), c.clean) << '"' << c.contents << '"';
    }
}

// ---- remind.dat ----

const LocalTime NewYear2000Noon = local_days{year{2000} / January / 1} + 12h;

TEST_F(SmallSettingsFiles, DateTimesCountDaysSince30December1899) {
    const struct {
        LocalTime time;
        DateTime value;
    } cases[] = {
        {local_days{year{1899} / December / 30}, 0},
        {NewYear2000Noon, 36526.5},
        {local_days{year{2000} / January / 1} + 18h, 36526.75},
        {local_days{year{1899} / December / 29} + 6h, -1.25},
        {local_days{year{1899} / December / 28} + 18h, -2.75},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(ToDateTime(c.time), c.value) << c.value;
        EXPECT_EQ(ToLocalTime(c.value), c.time) << c.value;
    }
}

Bytes DoubleBytes(std::initializer_list<std::uint64_t> words) {
    Bytes bytes;
    for (auto word : words) {
        for (int shift = 0; shift < 64; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
        }
    }
    return bytes;
}

TEST_F(SmallSettingsFiles, ReminderDatesAreFourLittleEndianDoubles) {
    settings.Reminders = {36526.5, 1.0, 2.0, 0.0};
    ASSERT_TRUE(WriteReminderDates(settings, NewYear2000Noon));
    // 36526.5 = 0x40E1D5D000000000, 1.0 = 0x3FF0000000000000, 2.0 = 0x4000000000000000.
    EXPECT_EQ(ReadBytes(data / "remind.dat"),
              DoubleBytes({0x40E1D5D000000000, 0x3FF0000000000000, 0x4000000000000000, 0}));

    Settings read;
    read.DataDir = data.Path();
    ReadReminderDates(read);
    EXPECT_EQ(read.Reminders, settings.Reminders);
}

TEST_F(SmallSettingsFiles, ReminderWriteReplacesNeverWithNowForTheLastDatesOnly) {
    const auto now = NewYear2000Noon + 90min;
    ReadReminderDates(settings); // missing file: all four never
    EXPECT_EQ(settings.Reminders, ReminderDates{});
    ASSERT_TRUE(WriteReminderDates(settings, now));
    EXPECT_EQ(settings.Reminders, (ReminderDates{36526.5625, 0, 36526.5625, 0}));

    settings.Reminders = {0, 0, 100, 0};
    ASSERT_TRUE(WriteReminderDates(settings, now));
    ReadReminderDates(settings);
    EXPECT_EQ(settings.Reminders, (ReminderDates{36526.5625, 0, 100, 0}));
}

TEST_F(SmallSettingsFiles, ReminderDatesFromShortOrGarbageFiles) {
    const struct {
        const char* what;
        Bytes file;
        ReminderDates dates;
    } cases[] = {
        {"empty", {}, {}},
        {"one value and a half",
         [] {
             auto b = DoubleBytes({0x3FF0000000000000, 0x4000000000000000});
             b.resize(12);
             return b;
         }(),
         {1.0, 0, 0, 0}},
        {"NaN, infinity, beyond year 9999",
         DoubleBytes(
             {0x7FF8000000000000, 0x7FF0000000000000, 0x4156E36000000000, 0x3FF0000000000000}),
         {0, 0, 0, 1.0}},
    };
    for (const auto& c : cases) {
        WriteBytes(data / "remind.dat", c.file);
        settings.Reminders = {5, 5, 5, 5};
        ReadReminderDates(settings);
        EXPECT_EQ(settings.Reminders, c.dates) << c.what;
    }
}

} // namespace
// ---- unreadable files ----

TEST_F(SmallSettingsFiles, ASettingsPathThatIsADirectoryReadsAsAMissingFileAndIsNotWritten) {
    settings.ProgramDir = settings.DataRoot = settings.DatabaseDir = data.Path();
    const struct {
        const char* file;
        std::function<void(Settings&)> read;
        std::function<bool(Settings&)> write;
    } cases[] = {
        {"options.dat", [](Settings& s) { ReadSecurityOptions(s); },
         [](Settings& s) { return WriteSecurityOptions(s); }},
        {"options.dat", [](Settings& s) { ReadUiOptions(s); },
         [](Settings& s) { return WriteUiOptions(s); }},
        {"shut.dat", [](Settings& s) { EXPECT_TRUE(ShutMarkerIsClean(s)); },
         [](Settings& s) { return WriteShutMarker(s, ShutMarker::Running); }},
        {"remind.dat", [](Settings& s) { ReadReminderDates(s); },
         [](Settings& s) { return WriteReminderDates(s); }},
        {"date.dat", [](Settings& s) { ReadDateFormats(s); },
         [](Settings& s) { return WriteDateFormats(s); }},
        {"labels.dat", [](Settings& s) { ReloadLabels(s); },
         [](Settings& s) { return WriteLabels(s); }},
        {"color.lst",
         [](Settings& s) { EXPECT_FALSE(LoadElementColors(s.DataDir / "color.lst", s.Colors)); },
         [](Settings& s) { return SaveElementColors(s.DataDir / "color.lst", s.Colors); }},
        {"headers.tml",
         [](Settings& s) {
             TemplateCatalogues catalogues(s.DataDir);
             catalogues.Load();
             EXPECT_EQ(catalogues.Headers.Count(), 0u);
         },
         [](Settings& s) { return TemplateCatalogues(s.DataDir).Save(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::filesystem::create_directory(data / c.file);
        Settings read = settings;
        EXPECT_NO_THROW(c.read(read));
        EXPECT_FALSE(c.write(read));
        EXPECT_TRUE(std::filesystem::is_directory(data / c.file));
        std::filesystem::remove(data / c.file);
    }
}

} // namespace shelfwise::settings
