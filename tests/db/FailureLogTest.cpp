#include "db/FailureLog.h"

#include "engine/EngineError.h"
#include "engine/Table.h"
#include "platform/Log.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <string>

namespace shelfwise::db {
namespace {

// The log line without its time stamp.
std::string LoggedReason(const shelfwise::test::TemporaryDirectory& dir) {
    const std::string text = shelfwise::test::ReadText(dir / platform::LogFileName);
    const auto stampEnd = text.find(' ', text.find(' ') + 1);
    return stampEnd == std::string::npos ? text : text.substr(stampEnd + 1);
}

TEST(FailureLog, TheReasonIsLoggedWithItsFileNamedOnce) {
    const struct {
        const char* reason;
        const char* logged;
    } cases[] = {
        {"the record is locked by another program", "/db/data.dbf: the record is locked by "
                                                    "another program\n"},
        {"/db/DATA.DBF: the table is damaged", "/db/DATA.DBF: the table is damaged\n"},
        {"The index file is damaged: /db/data.mdx", "/db/data.dbf: The index file is damaged: "
                                                    "/db/data.mdx\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const shelfwise::test::TemporaryDirectory dir("sw-failure-log");
        platform::SetLogFile(dir / platform::LogFileName);
        LogFailure("/db/data.dbf", engine::EngineError(c.reason));
        platform::SetLogFile({});
        EXPECT_EQ(LoggedReason(dir), c.logged);
    }
}

TEST(FailureLog, ATableIsNamedByItsDirectoryAndFileName) {
    const shelfwise::test::TemporaryDirectory dir("sw-failure-log");
    platform::SetLogFile(dir / platform::LogFileName);
    engine::Table table;
    table.setDirectory("/db");
    table.setFileName("list1.dbf");
    LogFailure(table, engine::EngineError("cannot be opened"));
    platform::SetLogFile({});
    EXPECT_EQ(LoggedReason(dir), "/db/list1.dbf: cannot be opened\n");
}

} // namespace
} // namespace shelfwise::db
