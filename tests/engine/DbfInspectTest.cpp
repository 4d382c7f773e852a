#include "TableFixture.h"
#include "engine/TableOperations.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace shelfwise::engine::testing {
namespace {

class DbfInspectTest : public TableFixture {
protected:
    // Runs the tool; returns its exit status and fills `output` with what it printed.
    int run(const std::string& arguments, std::string& output) {
        const std::string command = std::string(DBFINSPECT_PATH) + " " + arguments + " 2>&1";
        output.clear();
        FILE* pipe = ::popen(command.c_str(), "r");
        std::array<char, 4096> buffer;
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
            output.append(buffer.data(), n);
        }
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(DbfInspectTest, ShowsKeysInOrderAndFailsTheCheckOfADamagedTable) {
    createTable(dir, "data.dbf", {{"NAME", 'C', 6, 0}, {"NOTES", 'M', 10, 0}});
    {
        Table t;
        openOn(t, "data.dbf", true);
        for (const char* name : {"pear", "Apple", "fig"}) {
            t.append();
            t.setText(0, name);
            t.setText(1, std::string("about ") + name);
            t.post();
        }
        t.addTag("BYNAME", "UPPER(NAME)", false);
    }
    const std::string table = (dir / "data.dbf").string();
    std::string output;
    EXPECT_EQ(run("keys " + table + " BYNAME", output), 0);
    EXPECT_EQ(output, "APPLE \t2\nFIG   \t3\nPEAR  \t1\n");
    EXPECT_EQ(run("records " + table + " --tag BYNAME --limit 1", output), 0);
    EXPECT_EQ(output, "#\tNAME\tNOTES\n2\tApple\tabout Apple\n");
    EXPECT_EQ(run("check " + table, output), 0);
    EXPECT_EQ(output, "ok\n");

    // Spoil the memo block number of record 3.
    {
        std::fstream file(dir / "data.dbf", std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(32 + 2 * 32 + 1 + 2 * 17 + 1 + 6);
        file.write("     99999", 10);
    }
    EXPECT_EQ(run("check " + table, output), 1);
    EXPECT_NE(output.find("record 3: "), std::string::npos) << output;
    EXPECT_EQ(run("structure", output), 2); // usage
}

} // namespace
} // namespace shelfwise::engine::testing
