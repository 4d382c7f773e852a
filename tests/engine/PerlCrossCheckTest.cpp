// The Perl xBase module (Debian libdbd-xbase-perl) is an independent reader and writer of
// dBASE files: what we write it must read back unchanged, and what it writes we must read.

#include "TableFixture.h"
#include "engine/PosixFile.h"
#include "engine/TableOperations.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace shelfwise::engine::testing {
namespace {

using namespace std::string_literals;

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

std::string everyByte() {
    std::string s;
    for (int i = 0; i < 256; ++i) {
        s.push_back(static_cast<char>(i));
    }
    return s + s + s;
}

class PerlCrossCheckTest : public TableFixture {
protected:
    void SetUp() override {
        if (std::system("perl -MXBase -e 1 >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "perl with the XBase module is not installed";
        }
    }

    // Runs a Perl script in the test directory and returns what it printed.
    std::string perl(const std::string& script, const std::string& args = {}) {
        const auto path = dir / "script.pl";
        std::ofstream(path) << "use strict; use warnings; use XBase;\n" << script;
        const std::string command =
            "cd '" + dir.string() + "' && perl '" + path.string() + "' " + args + " 2>&1";
        std::string output;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            std::array<char, 4096> buffer;
            while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
                output.append(buffer.data(), n);
            }
            EXPECT_EQ(::pclose(pipe), 0) << output;
        }
        return output;
    }
};

TEST_F(PerlCrossCheckTest, PerlReadsRecordsMemosAndBinaryFieldsWeWrote) {
    createTable(dir, "data.dbf", everyKind());
    const std::string memo =
        "memo with \0 and \x1A\x1A inside\r\nline 2 "s + std::string(1200, 'm');
    {
        Table t;
        openOn(t, "data.dbf", true);
        t.append();
        t.setText(0, "Caf\xE9 \x80uro");
        t.setNumber(1, 19.95);
        t.setNumber(2, -3.1416);
        t.setText(3, "20240131");
        t.setText(4, "T");
        t.setText(5, memo);
        t.setBytes(6, everyByte());
        t.post();
        t.append();
        t.setText(0, "gone");
        t.post();
        t.deleteRecord();
        t.append();
        t.setText(0, "empty fields");
        t.post();
        t.addTag("BYNAME", "UPPER(NAME)", false);
    }
    const std::string output = perl(R"(
        my $t = XBase->new('data.dbf') or die XBase->errstr;
        for my $i (0 .. $t->last_record) {
            my ($deleted, @fields) = $t->get_record($i) or die $t->errstr;
            print join(',', $deleted, map { unpack('H*', defined $_ ? $_ : '') } @fields), "\n";
        }
    )");
    std::ostringstream expected;
    expected << "0," << hex("Caf\xE9 \x80uro") << ',' << hex("19.95") << ',' << hex("-3.1416")
             << ',' << hex("20240131") << ',' << hex("1") << ',' << hex(memo) << ','
             << hex(everyByte()) << "\n";
    expected << "1," << hex("gone") << ",,,,,,\n";
    expected << "0," << hex("empty fields") << ",,,,,,\n";
    EXPECT_EQ(output, expected.str());

    // The tag walks in the same order as our cursor (the deleted record has no key).
    const std::string walked = perl(R"(
        use XBase::Index;
        my $ix = XBase::Index->new('data.mdx', tag => 'BYNAME') or die XBase->errstr;
        $ix->prepare_select;
        while (my ($key, $record) = $ix->fetch) { print "$key\t$record\n"; }
    )");
    EXPECT_EQ(walked, "CAF\xC9 \x80URO" + std::string(11, ' ') + "\t1\nEMPTY FIELDS" +
                          std::string(8, ' ') + "\t3\n");
}

TEST_F(PerlCrossCheckTest, TablesPerlWroteOpenHere) {
    perl(R"(
        my $t = XBase->create(name => 'p4.dbf', version => 0x8B,
            field_names => ['NAME', 'PRICE', 'ADDED', 'OK', 'NOTES', 'PIC'],
            field_types => ['C', 'N', 'D', 'L', 'M', 'B'],
            field_lengths => [12, 8, 8, 1, 10, 10], field_decimals => [0, 2, 0, 0, 0, 0])
            or die XBase->errstr;
        $t->set_record(0, "Caf\xe9", 19.95, '20240131', 'T', "memo\x00with\x1a\x1aend",
                       "b\x00\x1a\xff" x 300) or die $t->errstr;
        $t->set_record(1, 'second', undef, undef, undef, undef, undef) or die $t->errstr;
        $t->set_record(2, 'gone', 1, '20200101', 'F', 'x', 'y') or die $t->errstr;
        $t->delete_record(2);
        $t->close;
        my $u = XBase->create(name => 'p3.dbf', field_names => ['NAME', 'NOTES'],
            field_types => ['C', 'M'], field_lengths => [10, 10], field_decimals => [0, 0])
            or die XBase->errstr;
        $u->set_record(0, 'a', 'dBASE III memo ' x 60) or die $u->errstr;
        $u->set_record(1, 'b', 'short') or die $u->errstr;
        $u->close;
    )");
    Table t;
    openOn(t, "p4.dbf");
    EXPECT_EQ(t.recordCount(), 2u);
    EXPECT_EQ(t.field(1).decimals, 2);
    EXPECT_EQ(t.text(0), "Caf\xE9");
    EXPECT_DOUBLE_EQ(t.number(1), 19.95);
    EXPECT_EQ(t.text(2), "20240131");
    EXPECT_EQ(t.text(3), "T");
    EXPECT_EQ(t.bytes(4), "memo\0with\x1A\x1A"s
                          "end");
    std::string picture;
    for (int i = 0; i < 300; ++i) {
        picture += "b\0\x1A\xFF"s;
    }
    EXPECT_EQ(t.bytes(5), picture);
    t.next();
    EXPECT_EQ(t.text(0), "second");
    for (int i = 1; i < 6; ++i) {
        EXPECT_TRUE(t.isEmpty(i)) << i;
    }
    t.next();
    EXPECT_TRUE(t.atEnd()); // the deleted record is skipped

    Table three;
    openOn(three, "p3.dbf");
    EXPECT_EQ(three.text(1), [] {
        std::string s;
        for (int i = 0; i < 60; ++i) {
            s += "dBASE III memo ";
        }
        return s;
    }());
    // A value written here into a dBASE III memo file reads back in Perl.
    three.next();
    three.edit();
    three.setText(1, "changed here");
    three.post();
    three.close();
    EXPECT_EQ(perl("my $t = XBase->new('p3.dbf') or die;"
                   "my (undef, $notes) = $t->get_record(1, 'NOTES'); print $notes;"),
              "changed here");
}

// Memo blocks on the free chain, a post killed half way and rolled back at the next open, a
// pack and a regenerated index: Perl still reads the records, their memos and the tag.
TEST_F(PerlCrossCheckTest, PerlReadsTablesAfterRecoveryPackAndRegenerate) {
    createTable(dir, "data.dbf", {{"NAME", 'C', 10, 0}, {"NOTES", 'M', 10, 0}});
    {
        Table t;
        openOn(t, "data.dbf", true);
        for (const char* name : {"delta", "alpha", "echo", "charlie", "bravo"}) {
            t.append();
            t.setText(0, name);
            t.setText(1, std::string(900, name[0]));
            t.post();
        }
        t.addTag("BYNAME", "UPPER(NAME)", false);
        t.goToRecord(2);
        t.edit();
        t.setText(1, "short"); // frees a block
        t.post();
        t.goToRecord(4);
        t.deleteRecord();
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        FileFaults::arm(6, FileFaults::Action::Kill); // after the record, before the keys
        Table t;
        openOn(t, "data.dbf");
        t.goToRecord(1);
        t.edit();
        t.setText(0, "zulu");
        t.setText(1, std::string(2000, 'z'));
        t.post();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    {
        Table t;
        openOn(t, "data.dbf", true);
        EXPECT_TRUE(t.checkIndexes().empty());
        t.pack();
        t.regenerateIndexes();
    }
    EXPECT_EQ(perl(R"(
        my $t = XBase->new('data.dbf') or die XBase->errstr;
        for my $i (0 .. $t->last_record) {
            my ($deleted, $name, $notes) = $t->get_record($i) or die $t->errstr;
            print "$deleted $name ", length($notes), substr($notes, 0, 1), "\n";
        }
        use XBase::Index;
        my $ix = XBase::Index->new('data.mdx', tag => 'BYNAME') or die XBase->errstr;
        $ix->prepare_select;
        while (my ($key, $record) = $ix->fetch) { print "$record "; }
    )"),
              "0 delta 900d\n0 alpha 5s\n0 echo 900e\n0 bravo 900b\n2 4 1 3 ");
}

} // namespace
} // namespace shelfwise::engine::testing
