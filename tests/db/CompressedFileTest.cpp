#include "db/CompressedFile.h"

#include "DatabaseFixture.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace shelfwise::db {
namespace {

std::string bytes(std::initializer_list<unsigned char> list) {
    return std::string(list.begin(), list.end());
}

std::string header(std::uint32_t length) {
    std::string h(SzddSignature);
    h += 'A';
    h += '\0';
    for (int i = 0; i < 4; ++i) {
        h += static_cast<char>((length >> (8 * i)) & 0xFF);
    }
    return h;
}

// Made by the Debian package mscompress from this text.
const std::string kSampleText =
    "The quick brown fox jumps over the lazy dog. The quick brown fox jumps over the lazy dog. "
    "The quick brown fox jumps over the lazy dog.     blanks    " +
    [] {
        std::string s;
        for (int c = 0; c < 256; c += 7) {
            s += static_cast<char>(c);
        }
        return s;
    }() +
    "abcabcabcabcabcabcabcabc\r\n";

const std::string kSamplePacked = bytes(
    {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 0x41, 0x00, 0xD4, 0x00, 0x00, 0x00, 0xFF, 0x54,
     0x68, 0x65, 0x20, 0x71, 0x75, 0x69, 0x63, 0xFF, 0x6B, 0x20, 0x62, 0x72, 0x6F, 0x77, 0x6E, 0x20,
     0xFF, 0x66, 0x6F, 0x78, 0x20, 0x6A, 0x75, 0x6D, 0x70, 0xFF, 0x73, 0x20, 0x6F, 0x76, 0x65, 0x72,
     0x20, 0x74, 0xFE, 0xF1, 0xF0, 0x6C, 0x61, 0x7A, 0x79, 0x20, 0x64, 0x6F, 0x07, 0x67, 0x2E, 0x20,
     0xF0, 0xFD, 0x00, 0x0D, 0x10, 0x0D, 0x20, 0x0D, 0x30, 0x0D, 0xFC, 0x40, 0x07, 0x76, 0x01, 0x62,
     0x6C, 0x61, 0x6E, 0x6B, 0x73, 0xFE, 0x76, 0x01, 0x00, 0x07, 0x0E, 0x15, 0x1C, 0x23, 0x2A, 0xFF,
     0x31, 0x38, 0x3F, 0x46, 0x4D, 0x54, 0x5B, 0x62, 0xFF, 0x69, 0x70, 0x77, 0x7E, 0x85, 0x8C, 0x93,
     0x9A, 0xFF, 0xA1, 0xA8, 0xAF, 0xB6, 0xBD, 0xC4, 0xCB, 0xD2, 0xFF, 0xD9, 0xE0, 0xE7, 0xEE, 0xF5,
     0xFC, 0x61, 0x62, 0x19, 0x63, 0xAA, 0x0D, 0xB1, 0x02, 0x0D, 0x0A});

TEST(ExpandSzddTest, UnpacksWhatTheWindowsToolPacked) {
    const auto expanded = ExpandSzdd(kSamplePacked);
    ASSERT_TRUE(expanded.has_value());
    EXPECT_EQ(*expanded, kSampleText);
}

TEST(ExpandSzddTest, MatchesReachIntoTheBlankWindowAndOverlapTheirOwnOutput) {
    // Control 0b00000101: literal "x", a match of 5 blanks from the window's initial fill,
    // literal "y", then a match of 6 that starts one byte back and so repeats "y".
    const std::string packed = header(13) + bytes({0x05, 'x', 0x00, 0x02, 'y', 0xF6, 0xF3});
    EXPECT_EQ(ExpandSzdd(packed), std::optional<std::string>("x     yyyyyyy"));
}

TEST(ExpandSzddTest, RefusesDamagedInput) {
    EXPECT_FALSE(ExpandSzdd("plain text"));
    EXPECT_FALSE(ExpandSzdd(header(20) + bytes({0xFF, 'a', 'b'}))); // ends early
    std::string wrongMode = header(1) + bytes({0x01, 'a'});
    wrongMode[8] = 'B';
    EXPECT_FALSE(ExpandSzdd(wrongMode));
    // A length beyond what the data unpacks to.
    EXPECT_FALSE(ExpandSzdd(header(0xFFFFFFFF) + bytes({0x01, 'a'})));
}

class CopyFileCompressedTest : public ::testing::Test {
protected:
    void write(const std::string& name, const std::string& content) {
        shelfwise::test::WriteText(dir / name, content);
    }
    std::string read(const std::string& name) { return shelfwise::test::ReadText(dir / name); }
    shelfwise::test::TemporaryDirectory scratch{"lz"};
    std::filesystem::path dir = scratch.Path();
};

TEST_F(CopyFileCompressedTest, ExpandsPackedFilesAndCopiesOthers) {
    write("packed.md_", kSamplePacked);
    ASSERT_TRUE(CopyFileCompressed(dir / "packed.md_", dir / "packed.mdx"));
    EXPECT_EQ(read("packed.mdx"), kSampleText);

    const std::string plain = std::string("SZD") + std::string(1, '\0') + "binary\xFF";
    write("plain.mdx", plain);
    write("target.mdx", "older and longer content");
    ASSERT_TRUE(CopyFileCompressed(dir / "plain.mdx", dir / "target.mdx"));
    EXPECT_EQ(read("target.mdx"), plain);
}

TEST_F(CopyFileCompressedTest, FailsWithoutLeavingATarget) {
    EXPECT_FALSE(CopyFileCompressed(dir / "missing", dir / "out"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));
    write("broken", kSamplePacked.substr(0, 40));
    EXPECT_FALSE(CopyFileCompressed(dir / "broken", dir / "out"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));
    write("plain", "text");
    EXPECT_FALSE(CopyFileCompressed(dir / "plain", dir / "no-such-dir" / "out"));
}

} // namespace
} // namespace shelfwise::db
