#include "TableFixture.h"
#include "engine/TableOperations.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace shelfwise::engine::testing {
namespace {

class BeforePostTest : public TableFixture {};

TEST_F(BeforePostTest, HookSetsFieldsOfTheRecordBeingPostedOnThisCursorOnly) {
    createTable(dir, "t.dbf", {{"NAME", 'C', 10, 0}, {"MARK", 'C', 1, 0}});
    Table table;
    openOn(table, "t.dbf");
    std::vector<std::string> seen;
    table.setBeforePost([&seen](Table& t) {
        seen.push_back(t.text(0) + (t.state() == Table::State::Insert ? "+" : "~"));
        t.setText(1, t.text(0) == "keep" ? "2" : "0");
        t.post(); // a post from inside the hook does not run it again
    });
    table.append();
    table.setText(0, "keep");
    table.post();
    table.append();
    table.setText(0, "drop");
    table.post();
    table.post(); // nothing to post: no call
    ASSERT_TRUE(table.goToRecord(1));
    table.edit();
    table.setText(0, "drop");
    table.post();
    EXPECT_EQ(seen, (std::vector<std::string>{"keep+", "drop+", "drop~"}));

    // Another cursor on the same table posts without the hook.
    Table other;
    openOn(other, "t.dbf");
    other.append();
    other.setText(0, "keep");
    other.post();
    EXPECT_EQ(seen.size(), 3u);

    std::vector<std::string> marks;
    for (other.first(); !other.atEnd(); other.next()) {
        marks.push_back(other.text(1));
    }
    EXPECT_EQ(marks, (std::vector<std::string>{"0", "0", ""}));

    // Detached, and a hook that throws leaves the record unposted and still in edit.
    table.setBeforePost({});
    table.edit();
    table.setText(0, "plain");
    table.post();
    EXPECT_EQ(seen.size(), 3u);
    table.setBeforePost([](Table&) { throw std::runtime_error("refused"); });
    table.edit();
    table.setText(0, "never");
    EXPECT_THROW(table.post(), std::runtime_error);
    EXPECT_EQ(table.state(), Table::State::Edit);
    table.cancel();
    ASSERT_TRUE(other.goToRecord(1));
    EXPECT_EQ(other.text(0), "plain");
}

} // namespace
} // namespace shelfwise::engine::testing
