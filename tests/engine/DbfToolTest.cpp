#include "TableFixture.h"
#include "engine/TableOperations.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace shelfwise::engine::testing {
namespace {

class DbfToolTest : public TableFixture {
protected:
    // Runs the tool; returns its exit status and fills `output` with what it printed.
    int run(const std::string& arguments, std::string& output) {
        const std::string command = std::string(DBFTOOL_PATH) + " " + arguments + " 2>&1";
        output.clear();
        FILE* pipe = ::popen(command.c_str(), "r");
        std::array<char, 4096> buffer;
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
            output.append(buffer.data(), n);
        }
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Appends records of (name, notes), each value as Windows-1252 bytes.
    void fill(const std::string& file,
              std::initializer_list<std::pair<std::string, std::string>> records) {
        Table t;
        openOn(t, file, true);
        for (const auto& [name, notes] : records) {
            t.append();
            t.setText(0, name);
            t.setText(1, notes);
            t.post();
        }
    }
};

TEST_F(DbfToolTest, ShowsKeysInOrderAndFailsTheCheckOfADamagedTable) {
    createTable(dir, "data.dbf", {{"NAME", 'C', 6, 0}, {"NOTES", 'M', 10, 0}});
    fill("data.dbf", {{"pear", "about pear"}, {"Apple", "about Apple"}, {"fig", "about fig"}});
    const std::string table = (dir / "data.dbf").string();
    std::string output;
    EXPECT_EQ(run("index " + table + " byname 'UPPER(NAME)'", output), 0) << output;
    EXPECT_EQ(run("keys " + table + " BYNAME", output), 0);
    EXPECT_EQ(output, "APPLE \t2\nFIG   \t3\nPEAR  \t1\n");
    EXPECT_EQ(run("index " + table + " DOWN NAME --descending", output), 0) << output;
    EXPECT_EQ(run("keys " + table + " DOWN --limit 2", output), 0);
    EXPECT_EQ(output, "pear  \t1\nfig   \t3\n");
    EXPECT_EQ(run("dump " + table + " --tag BYNAME --limit 1", output), 0);
    EXPECT_EQ(output, "NAME,NOTES\r\nApple,about Apple\r\n");
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
    EXPECT_EQ(run("info", output), 2); // usage
    EXPECT_EQ(run("keys " + table, output), 2);
}

TEST_F(DbfToolTest, DumpsRfc4180CsvInUtf8WithMemosAndBinaryByteCounts) {
    createTable(dir, "csv.dbf",
                {{"NAME", 'C', 30, 0}, {"NOTES", 'M', 10, 0}, {"LOGO", 'B', 10, 0}});
    fill("csv.dbf",
         {{"Caf\xE9, \"the\" bar", "line one\r\nline two"}, {"\x80 5 \x81", "plain"}, {"", ""}});
    {
        Table t;
        openOn(t, "csv.dbf", true);
        t.first();
        t.edit();
        t.setBytes(2, std::string("GIF89a\0\0\0\0", 10));
        t.post();
    }
    std::string output;
    EXPECT_EQ(run("dump " + (dir / "csv.dbf").string(), output), 0);
    EXPECT_EQ(output, "NAME,NOTES,LOGO\r\n"
                      "\"Caf\xC3\xA9, \"\"the\"\" bar\",\"line one\r\nline two\",10\r\n"
                      "\xE2\x82\xAC 5 \xC2\x81,plain,0\r\n"
                      ",,0\r\n");
}

TEST_F(DbfToolTest, GeneratesATableOfTheDataLayoutThatChecksPacksAndReindexes) {
    const std::string table = (dir / "titles.dbf").string();
    std::string output;
    ASSERT_EQ(run("generate " + table + " 40", output), 0) << output;
    EXPECT_EQ(run("generate " + table + " 40", output), 1) << "an existing table is kept";

    EXPECT_EQ(run("info " + table, output), 0);
    EXPECT_EQ(output.substr(0, output.find('\n')), "records: 40");
    for (const char* line :
         {"\n0\tRECORDNO\tN\t10\t0\n", "\n2\tAPPNAME\tC\t100\t0\n", "\n24\tNOTES\tM\t10\t0\n",
          "\n25\tPICTURE\tB\t10\t0\n", "\ntag IDX0\tSTR(RECORDNO, 20, 4)\n"}) {
        EXPECT_NE(output.find(line), std::string::npos) << line << output;
    }

    EXPECT_EQ(run("dump " + table + " --limit 1", output), 0);
    const std::string header = output.substr(0, output.find("\r\n"));
    EXPECT_EQ(header.substr(0, 30), "RECORDNO,MARK,APPNAME,PRODUCER");
    ASSERT_EQ(std::count(header.begin(), header.end(), ','), 25);
    // The first record has a 16 x 16 logo and a 40 x 30 picture, both 24-bit BMPs, and notes
    // of two lines.
    const std::string first = output.substr(header.size() + 2);
    EXPECT_NE(first.find(",822,"), std::string::npos) << first;
    EXPECT_NE(first.find("\r\nSerial number kept in the box.\","), std::string::npos) << first;
    EXPECT_EQ(first.substr(first.size() - 7), ",3654\r\n") << first;

    {
        Table t;
        openOn(t, "titles.dbf", true);
        ASSERT_TRUE(t.goToRecord(2));
        t.deleteRecord();
    }
    EXPECT_EQ(run("pack " + table, output), 0) << output;
    EXPECT_EQ(run("reindex " + table, output), 0) << output;
    EXPECT_EQ(run("check " + table, output), 0) << output;
    EXPECT_EQ(run("info " + table, output), 0);
    EXPECT_EQ(output.substr(0, output.find('\n')), "records: 39");
}

} // namespace
} // namespace shelfwise::engine::testing
