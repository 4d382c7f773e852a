// Other programs read what we export and we read what they write: Perl's xBase module for the
// dBASE files, LibreOffice for the text and dBASE files. Both are installed with the build's
// packages; a machine without them fails these tests.

#include "ExchangeFixture.h"
#include "exchange/TextExchange.h"
#include "exchange/TextFormat.h"
#include "text/WindowsText.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <gmock/gmock.h>
#include <sstream>

namespace shelfwise::exchange::testing {
namespace {

struct CommandRun {
    int status = -1;
    std::string output;
};

CommandRun Command(const std::string& command) {
    CommandRun run;
    if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
        std::array<char, 4096> buffer;
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
            run.output.append(buffer.data(), n);
        }
        run.status = ::pclose(pipe);
    }
    return run;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Without(std::string text, const std::string& gone) {
    for (std::size_t at; (at = text.find(gone)) != std::string::npos;) {
        text.erase(at, gone.size());
    }
    return text;
}

class OutsideProgramsTest : public ExchangeFixture {
protected:
    // Converts files with LibreOffice (one start for all of them) into CSV files in `out`,
    // comma-separated, quoted, in Windows-1252 (character set 1).
    void Convert(const std::vector<std::filesystem::path>& files, const std::string& inFilter) {
        const CommandRun version = Command("soffice --version");
        ASSERT_EQ(version.status, 0)
            << "LibreOffice (libreoffice-calc-nogui) is missing: " << version.output;
        std::string command = "cd '" + root.string() + "' && timeout 150 soffice --headless " +
                              "-env:UserInstallation=file://" + (root / "lo-profile").string() +
                              " --convert-to 'csv:Text - txt - csv (StarCalc):44,34,1,1,,,true'" +
                              " --outdir '" + (root / "out").string() + "'";
        if (!inFilter.empty()) {
            command += " '--infilter=" + inFilter + "'";
        }
        for (const auto& file : files) {
            command += " '" + file.string() + "'";
        }
        const CommandRun run = Command(command);
        ASSERT_EQ(run.status, 0) << run.output;
    }

    // A CSV file LibreOffice wrote, as values.
    std::vector<std::vector<std::string>> ReadCsv(const std::filesystem::path& path,
                                                  std::size_t fields) {
        std::ifstream in(path, std::ios::binary);
        EXPECT_TRUE(in.is_open()) << path;
        TExchangeOptions options;
        options.Separator = ',';
        options.Delimiter = '"';
        TTextRecordReader reader(in, options, std::vector<bool>(fields, false));
        std::vector<std::vector<std::string>> records;
        std::vector<std::string> values;
        while (reader.Next(values)) {
            records.push_back(values);
        }
        EXPECT_TRUE(reader.Problems().empty());
        return records;
    }
};

TEST_F(OutsideProgramsTest, PerlReadsEveryExportedDbaseFieldAndWritesTablesWeImport) {
    ASSERT_EQ(Command("perl -MXBase -e 1").status, 0)
        << "Perl's xBase module (libdbd-xbase-perl) is missing";
    AddTrickyRecords();
    ASSERT_TRUE(ExportDbf(*database, settings, "PerlCheck", nullptr));
    const std::filesystem::path dir = databaseDir / "EXPIMP";
    std::ofstream(root / "read.pl") << R"(
        use strict; use warnings; use XBase;
        my $t = XBase->new($ARGV[0]) or die XBase->errstr;
        my @types = $t->field_types;
        for my $i (0 .. $t->last_record) {
            my ($deleted, @fields) = $t->get_record($i) or die $t->errstr;
            my @shown;
            for my $f (0 .. $#fields) {
                my $v = $fields[$f];
                if (!defined $v) { push @shown, ''; }
                elsif ($types[$f] eq 'N') { push @shown, sprintf('%.2f', $v); }
                else { push @shown, unpack('H*', $v); }
            }
            print join(',', $deleted, @shown), "\n";
        }
    )";
    const CommandRun run = Command("perl '" + (root / "read.pl").string() + "' '" +
                                   (dir / "perlcheck.dbf").string() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    std::ostringstream expected;
    engine::Table& t = database->DataTable;
    for (t.first(); !t.atEnd(); t.next()) {
        expected << '0';
        for (int p = 0; p < t.fieldCount(); ++p) {
            expected << ',';
            const char type = t.field(p).type;
            if (type == 'N') {
                if (!t.isEmpty(p)) {
                    char number[64];
                    std::snprintf(number, sizeof number, "%.2f", t.number(p));
                    expected << number;
                }
            } else if (type == 'M' || type == 'B') {
                expected << Hex(t.bytes(p));
            } else {
                expected << Hex(t.text(p));
            }
        }
        expected << '\n';
    }
    EXPECT_EQ(run.output, expected.str());

    // A table Perl made in the program's layout imports after the records there are.
    const CommandRun made =
        Command("cd '" + dir.string() +
                "' && perl -MXBase -e '"
                "my $s = XBase->new(\"perlcheck.dbf\") or die XBase->errstr;"
                "my $t = $s->create(name => \"perlmade.dbf\") or die XBase->errstr;"
                "my @v = map { undef } $s->field_names;"
                "$v[2] = \"Perl \\xE9crit\"; $v[7] = 12.5; $v[8] = \"20230405\"; $v[24] = "
                "\"memo\\r\\nlines\";"
                "$t->set_record(0, @v) or die $t->errstr; $t->close;'");
    ASSERT_EQ(made.status, 0) << made.output;
    messages.clear();
    const TImportResult imported = ImportDbf(*database, settings, "PERLMADE", nullptr);
    EXPECT_EQ(imported.Imported, 1u) << imported.Error.toStdString();
    EXPECT_THAT(messageTexts(), ::testing::ElementsAre("Data Imported Successfully!!!"));
    ASSERT_TRUE(t.goToRecord(5));
    EXPECT_EQ(t.text(kName), "Perl \xE9"
                             "crit");
    EXPECT_EQ(t.number(kPrice), 12.5);
    EXPECT_EQ(t.text(kVerDate), "20230405");
    EXPECT_EQ(t.bytes(kNotes), "memo\r\nlines");
    EXPECT_EQ(t.number(db::RecordNumberField), 6);
}

TEST_F(OutsideProgramsTest, LibreOfficeReadsExportedTextAndWhatItSavesImportsExactly) {
    AddTrickyRecords();
    const TExchangeOptions options = AllFields(',', '"');
    ASSERT_TRUE(ExportText(*database, settings, options, Path("export.txt"), nullptr).Written);
    // Every column as text, so LibreOffice keeps numbers and dates as written.
    std::string filter = "Text - txt - csv (StarCalc):44,34,1,1,";
    for (std::size_t column = 1; column <= options.Fields.size(); ++column) {
        filter += (column > 1 ? "/" : "") + std::to_string(column) + "/2";
    }
    Convert({root / "export.txt"}, filter);
    const auto saved = ReadCsv(root / "out" / "export.csv", options.Fields.size());

    // What LibreOffice shows is what we wrote, line breaks in cells aside (it keeps them as
    // line feeds) and the memo markers, which it takes for text.
    std::ifstream in(root / "export.txt", std::ios::binary);
    TTextRecordReader ours(in, options, std::vector<bool>(options.Fields.size(), false));
    std::vector<std::vector<std::string>> expected;
    std::vector<std::string> values;
    while (ours.Next(values)) {
        for (std::string& v : values) {
            v = Without(Without(v, "\r"), "\x03");
        }
        expected.push_back(values);
    }
    ASSERT_EQ(expected.size(), 4u);
    auto shown = saved;
    for (auto& record : shown) {
        for (std::string& v : record) {
            v = Without(Without(v, "\r"), "\x03");
        }
    }
    EXPECT_EQ(shown, expected);

    // The file LibreOffice saved imports as the records were, apart from the line break in a
    // character field, which comes back as a line feed alone.
    auto target = OpenSecondDatabase("IN");
    const TImportResult imported =
        ImportText(*target, second, options, Path("out/export.csv"), nullptr);
    EXPECT_EQ(imported.Imported, 4u);
    EXPECT_TRUE(imported.LineProblems.empty());
    std::vector<RecordValues> original = Records(*database, false);
    for (RecordValues& record : original) {
        record[kProducer - db::FirstDataField] =
            Without(record[kProducer - db::FirstDataField], "\r");
    }
    EXPECT_EQ(Records(*target, false), original);
}

TEST_F(OutsideProgramsTest, LibreOfficeOpensExportedDbaseFilesWithTheSameValues) {
    AddTrickyRecords();
    ASSERT_TRUE(ExportDbf(*database, settings, "lo", nullptr));
    // Its dBASE import asks for the character set; "ANSI" is Windows-1252.
    Convert({databaseDir / "EXPIMP" / "lo.dbf"}, "dBase:ANSI");
    const engine::Table& t = database->DataTable;
    const auto saved = ReadCsv(root / "out" / "lo.csv", static_cast<std::size_t>(t.fieldCount()));
    ASSERT_FALSE(saved.empty());
    // The first line holds the column names.
    EXPECT_THAT(saved[0][0], ::testing::StartsWith("RECORDNO"));
    ASSERT_EQ(saved.size(), 5u);
    std::size_t row = 1;
    for (database->DataTable.first(); !t.atEnd(); database->DataTable.next(), ++row) {
        EXPECT_EQ(saved[row][kName], t.text(kName)) << row;
        EXPECT_EQ(Without(saved[row][kProducer], "\n"), Without(t.text(kProducer), "\r\n")) << row;
        EXPECT_EQ(Without(Without(saved[row][kNotes], "\r"), "\n"),
                  Without(t.bytes(kNotes), "\r\n"))
            << row;
        EXPECT_EQ(saved[row][kVerDate].empty(), t.isEmpty(kVerDate)) << row;
        EXPECT_EQ(saved[row][kPrice].empty() ? 0.0 : std::stod(saved[row][kPrice]),
                  t.number(kPrice))
            << row;
    }
}

} // namespace
} // namespace shelfwise::exchange::testing
