// The delimited text format without a table: what a line holds, and what the reader makes of
// files written here and elsewhere.

#include "exchange/TextFormat.h"

#include <gtest/gtest.h>
#include <sstream>

namespace shelfwise::exchange {
namespace {

using namespace std::string_literals;
using Records = std::vector<std::vector<std::string>>;

TExchangeOptions Options(char separator, char delimiter, std::size_t fields) {
    TExchangeOptions options;
    options.Separator = separator;
    options.Delimiter = delimiter;
    options.Fields.assign(fields, 2);
    return options;
}

std::string Line(const std::vector<std::string>& values, const std::vector<bool>& memo,
                 const TExchangeOptions& options) {
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            line += options.Separator;
        }
        AppendValue(line, values[i], memo[i], options);
    }
    return line + "\r\n";
}

struct ReadResult {
    Records records;
    std::vector<std::uint64_t> lines;
    std::vector<std::pair<std::uint64_t, std::size_t>> problems;
};

ReadResult Read(const std::string& bytes, const TExchangeOptions& options, std::vector<bool> memo) {
    std::istringstream in(bytes);
    TTextRecordReader reader(in, options, std::move(memo));
    ReadResult result;
    std::vector<std::string> values;
    while (reader.Next(values)) {
        result.records.push_back(values);
        result.lines.push_back(reader.RecordLine());
    }
    for (const TLineProblem& p : reader.Problems()) {
        result.problems.emplace_back(p.Line, p.Values);
    }
    return result;
}

TEST(TextFormat, LinesHoldTheValuesAsOtherProgramsReadThem) {
    struct Case {
        const char* what;
        char separator;
        char delimiter;
        std::vector<std::string> values;
        std::vector<bool> memo;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"commas and quotes", ',', '"', {"A", "B"}, {false, false}, "\"A\",\"B\"\r\n"},
        {"quote inside is doubled",
         ',',
         '"',
         {"Acme, \"Inc\""},
         {false},
         "\"Acme, \"\"Inc\"\"\"\r\n"},
        {"tabs, nothing around", '\t', 0, {"A", "", "C"}, {false, false, false}, "A\t\tC\r\n"},
        {"a value with the separator is quoted",
         ',',
         0,
         {"Acme, Inc", "x"},
         {false, false},
         "\"Acme, Inc\",x\r\n"},
        {"a value that begins with a quote is quoted",
         '\t',
         0,
         {"\"Best\" tool"},
         {false},
         "\"\"\"Best\"\" tool\"\r\n"},
        {"a quote inside a bare value stays bare", '\t', 0, {"5\" disk"}, {false}, "5\" disk\r\n"},
        {"memo between markers", '\t', 0, {"line1\r\nline2"}, {true}, "\x03line1\r\nline2\x03\r\n"},
        {"memo with delimiter",
         ',',
         '"',
         {"say \"hi\", 1\r\n2"},
         {true},
         "\"\x03say \"\"hi\"\", 1\r\n2\x03\"\r\n"},
        {"memo holding a marker is quoted",
         '\t',
         0,
         {"a\x03"
          "b"},
         {true},
         "\"\x03"
         "a\x03"
         "b\x03\"\r\n"},
        {"other delimiter", ';', '\'', {"it's", "b"}, {false, false}, "'it''s';'b'\r\n"},
        {"Windows-1252 bytes as they are", ',', 0, {"Caf\xE9 \x80"}, {false}, "Caf\xE9 \x80\r\n"},
    };
    for (const Case& c : cases) {
        const TExchangeOptions options = Options(c.separator, c.delimiter, c.values.size());
        EXPECT_EQ(Line(c.values, c.memo, options), c.line) << c.what;
        const ReadResult back = Read(c.line, options, c.memo);
        ASSERT_EQ(back.records.size(), 1u) << c.what;
        EXPECT_EQ(back.records[0], c.values) << c.what;
        EXPECT_TRUE(back.problems.empty()) << c.what;
    }
}

TEST(TextFormat, ReaderTakesFilesAsTheyCome) {
    struct Case {
        const char* what;
        char separator;
        char delimiter;
        std::vector<bool> memo;
        std::string bytes;
        Records records;
        std::vector<std::uint64_t> lines;
        std::vector<std::pair<std::uint64_t, std::size_t>> problems;
    };
    const std::vector<Case> cases = {
        {"last line without a line break",
         ',',
         0,
         {false, false},
         "a,b\r\nc,d",
         {{"a", "b"}, {"c", "d"}},
         {1, 2},
         {}},
        {"bare line feeds",
         '\t',
         0,
         {false, false},
         "a\tb\nc\td\n",
         {{"a", "b"}, {"c", "d"}},
         {1, 2},
         {}},
        {"short line stays one record",
         ',',
         0,
         {false, false, false},
         "a,b\r\nc,d,e\r\n",
         {{"a", "b", ""}, {"c", "d", "e"}},
         {1, 2},
         {{1, 2}}},
        {"long line loses its extra values",
         ',',
         '"',
         {false, false},
         "\"a\",\"b\",\"x\",\"y\"\r\n\"c\",\"d\"\r\n",
         {{"a", "b"}, {"c", "d"}},
         {1, 2},
         {{1, 4}}},
        {"short quoted line",
         ',',
         '"',
         {false, false, false},
         "\"a\"\r\n\"b\",\"c\",\"d\"\r\n",
         {{"a", "", ""}, {"b", "c", "d"}},
         {1, 2},
         {{1, 1}}},
        {"delimiter not followed by the separator stays",
         ',',
         '"',
         {false, false},
         "\"5\"x\",\"b\"\r\n",
         {{"5\"x", "b"}},
         {1},
         {}},
        {"quoted and bare values mixed, as spreadsheets write",
         ',',
         '"',
         {false, false, false, false},
         "\"Caf\xE9\",19.95,,\"x, y\"\r\n",
         {{"Caf\xE9", "19.95", "", "x, y"}},
         {1},
         {}},
        {"quoted line break without markers",
         ',',
         '"',
         {false, true, false},
         "\"a\",\"one\ntwo\",\"c\"\n\"d\",\"\",\"f\"\n",
         {{"a", "one\ntwo", "c"}, {"d", "", "f"}},
         {1, 3},
         {}},
        {"memo with separators and line breaks inside markers",
         '\t',
         0,
         {false, true, false},
         "a\t\x03x\ty, z\r\n\r\nend\x03\tc\r\nd\t\x03\x03\tf\r\n",
         {{"a", "x\ty, z\r\n\r\nend", "c"}, {"d", "", "f"}},
         {1, 4},
         {}},
        {"markers in a field that is not a memo are text",
         '\t',
         0,
         {false, false},
         "\x03x\x03\tb\r\n",
         {{"\x03x\x03", "b"}},
         {1},
         {}},
        {"empty lines between records hold none",
         ',',
         0,
         {false, false},
         "a,b\r\n\r\nc,d\r\n\r\n",
         {{"a", "b"}, {"c", "d"}},
         {1, 3},
         {}},
        {"one field: an empty line is an empty value",
         ',',
         0,
         {false},
         "a\r\n\r\nb\r\n",
         {{"a"}, {""}, {"b"}},
         {1, 2, 3},
         {}},
        {"carriage returns outside quotes are dropped",
         ',',
         0,
         {false, false},
         "a\r,b\r\r\n",
         {{"a", "b"}},
         {1},
         {}},
        {"unclosed quote at the end keeps what it read",
         ',',
         '"',
         {false, false},
         "\"a\",\"b",
         {{"a", "b"}},
         {1},
         {}},
        {"empty file", ',', '"', {false}, "", {}, {}, {}},
    };
    for (const Case& c : cases) {
        const ReadResult result =
            Read(c.bytes, Options(c.separator, c.delimiter, c.memo.size()), c.memo);
        EXPECT_EQ(result.records, c.records) << c.what;
        EXPECT_EQ(result.lines, c.lines) << c.what;
        EXPECT_EQ(result.problems, c.problems) << c.what;
    }
}

TEST(TextFormat, EveryByteRoundTripsUnderEveryChoice) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    const std::vector<std::string> values = {all,
                                             "",
                                             "\"",
                                             "\"\"",
                                             ",",
                                             "\t",
                                             "\r\n",
                                             "\n",
                                             "x\r",
                                             " lead",
                                             "trail ",
                                             "'",
                                             std::string(5000, 'n'),
                                             "\x03",
                                             "\x03\x03"};
    for (const char separator : {'\t', ',', ';', '|'}) {
        for (const char delimiter : {'\0', '"', '\''}) {
            const TExchangeOptions options = Options(separator, delimiter, 2);
            std::string file;
            Records expected;
            for (const std::string& v : values) {
                // Bare values lose carriage returns; inside quotes and memos they stay.
                file += Line({v, v}, {false, true}, options);
                expected.push_back({v, v});
            }
            const ReadResult result = Read(file, options, {false, true});
            EXPECT_EQ(result.records, expected)
                << "separator " << int(separator) << " delimiter " << int(delimiter);
            EXPECT_TRUE(result.problems.empty());
        }
    }
}

} // namespace
} // namespace shelfwise::exchange
