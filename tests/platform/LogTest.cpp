#include "platform/Log.h"

#include "support/TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using namespace shelfwise;
using ::testing::MatchesRegex;

namespace {

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

constexpr const char* Stamp = "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} ";

TEST(Log, LinesAreStampedAndGoToStandardErrorAndTheEndOfTheFile) {
    const test::TemporaryDirectory dir("sw-log");
    const auto file = dir / platform::LogFileName;
    test::WriteText(file, "earlier line\n");
    platform::SetLogFile(file);
    EXPECT_EQ(platform::LogFile(), file);

    ::testing::internal::CaptureStderr();
    platform::WriteLog("data.dbf: the record is locked");
    platform::WriteLog("second");
    const std::string standardError = ::testing::internal::GetCapturedStderr();
    platform::SetLogFile({});

    const auto lines = LinesOf(test::ReadText(file));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "earlier line");
    EXPECT_THAT(lines[1], MatchesRegex(std::string(Stamp) + "data\\.dbf: the record is locked"));
    EXPECT_THAT(lines[2], MatchesRegex(std::string(Stamp) + "second"));
    EXPECT_EQ(LinesOf(standardError), std::vector<std::string>(lines.begin() + 1, lines.end()));
}

TEST(Log, AFileThatCannotBeWrittenLeavesStandardError) {
    const test::TemporaryDirectory dir("sw-log");
    platform::SetLogFile(dir / "missing" / platform::LogFileName);
    ::testing::internal::CaptureStderr();
    platform::WriteLog("still told");
    const std::string standardError = ::testing::internal::GetCapturedStderr();
    platform::SetLogFile({});
    EXPECT_THAT(standardError, MatchesRegex(std::string(Stamp) + "still told\n"));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

} // namespace
