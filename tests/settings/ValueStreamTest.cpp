#include "settings/ReadError.h"
#include "settings/ValueStreamReader.h"
#include "settings/ValueStreamWriter.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <limits>

namespace shelfwise::settings {
namespace {

using test::Bytes;

TEST(ValueStream, IntegersTakeTheirSmallestFormAndReadBack) {
    const struct {
        std::int32_t value;
        Bytes encoded;
    } cases[] = {
        {0, {0x02, 0x00}},
        {-1, {0x02, 0xFF}},
        {127, {0x02, 0x7F}},
        {-128, {0x02, 0x80}},
        {128, {0x03, 0x80, 0x00}},
        {-129, {0x03, 0x7F, 0xFF}},
        {300, {0x03, 0x2C, 0x01}},
        {32767, {0x03, 0xFF, 0x7F}},
        {-32768, {0x03, 0x00, 0x80}},
        {32768, {0x04, 0x00, 0x80, 0x00, 0x00}},
        {-32769, {0x04, 0xFF, 0x7F, 0xFF, 0xFF}},
        {std::numeric_limits<std::int32_t>::max(), {0x04, 0xFF, 0xFF, 0xFF, 0x7F}},
        {std::numeric_limits<std::int32_t>::min(), {0x04, 0x00, 0x00, 0x00, 0x80}},
    };
    for (const auto& c : cases) {
        ValueStreamWriter out;
        out.WriteInteger(c.value);
        EXPECT_EQ(out.Bytes(), c.encoded) << c.value;
        ValueStreamReader in(c.encoded);
        EXPECT_EQ(in.ReadInteger(), c.value);
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(ValueStream, ReaderAcceptsWiderIntegerFormsThanNeeded) {
    const Bytes wide{0x04, 0x05, 0x00, 0x00, 0x00, 0x03, 0xFF, 0xFF};
    ValueStreamReader in(wide);
    EXPECT_EQ(in.ReadInteger(), 5);
    EXPECT_EQ(in.ReadInteger(), -1);
}

TEST(ValueStream, StringsBelow256AreShortFromThereLong) {
    for (std::size_t size : {0u, 1u, 255u, 256u, 70000u}) {
        const std::string text(size, 'x');
        ValueStreamWriter out;
        out.WriteString(text);
        Bytes header;
        if (size < 256) {
            header = {0x06, static_cast<std::uint8_t>(size)};
        } else {
            header = {0x0C, static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                      static_cast<std::uint8_t>(size >> 16), 0x00};
        }
        ASSERT_EQ(out.Bytes().size(), header.size() + size) << size;
        EXPECT_TRUE(std::equal(header.begin(), header.end(), out.Bytes().begin())) << size;
        ValueStreamReader in(out.Bytes());
        EXPECT_EQ(in.ReadString(), text);
        EXPECT_TRUE(in.AtEnd());
    }
    const Bytes shortAsLong{0x0C, 0x02, 0x00, 0x00, 0x00, 'o', 'k'};
    EXPECT_EQ(ValueStreamReader(shortAsLong).ReadString(), "ok");
}

TEST(ValueStream, ListOfTaggedValues) {
    ValueStreamWriter out;
    out.WriteListBegin();
    out.WriteBoolean(false);
    out.WriteBoolean(true);
    out.WriteString("ab");
    out.WriteListEnd();
    EXPECT_EQ(out.Bytes(), (Bytes{0x01, 0x08, 0x09, 0x06, 0x02, 'a', 'b', 0x00}));

    ValueStreamReader in(out.Bytes());
    in.ReadListBegin();
    EXPECT_FALSE(in.ReadBoolean());
    EXPECT_TRUE(in.ReadBoolean());
    EXPECT_FALSE(in.EndOfList());
    EXPECT_EQ(in.ReadString(), "ab");
    EXPECT_TRUE(in.EndOfList());
    in.ReadListEnd();
    EXPECT_TRUE(in.AtEnd());
}

TEST(ValueStream, RawItemsCarryNoTagAndListEndIsAZeroByte) {
    ValueStreamWriter out;
    out.WriteListBegin();
    for (std::uint8_t record : {7, 9}) {
        out.WriteByte(record);
        out.WriteInt16(-2);
        out.WriteInt32(0x01020304);
        out.WriteShortString("hi");
        out.WriteBlock(Bytes{0xAA, 0xBB});
    }
    out.WriteListEnd();
    const Bytes record7{0x07, 0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x02, 'h', 'i', 0xAA, 0xBB};
    ASSERT_EQ(out.Bytes().size(), 2 + 2 * record7.size());
    EXPECT_TRUE(std::equal(record7.begin(), record7.end(), out.Bytes().begin() + 1));

    ValueStreamReader in(out.Bytes());
    in.ReadListBegin();
    std::vector<std::uint8_t> records;
    while (!in.EndOfList()) {
        records.push_back(in.ReadByte());
        EXPECT_EQ(in.ReadInt16(), -2);
        EXPECT_EQ(in.ReadInt32(), 0x01020304);
        EXPECT_EQ(in.ReadShortString(), "hi");
        EXPECT_EQ(in.ReadBlock(2), (Bytes{0xAA, 0xBB}));
    }
    in.ReadListEnd();
    EXPECT_EQ(records, (std::vector<std::uint8_t>{7, 9}));
}

TEST(ValueStream, ShortStringWithoutTagIsCutAt255) {
    ValueStreamWriter out;
    out.WriteShortString(std::string(300, 'y'));
    EXPECT_EQ(out.Bytes().size(), 256u);
    EXPECT_EQ(out.Bytes()[0], 255);
}

// Reads the items that ListOfEveryKind writes, in order.
void ReadEveryKind(ValueStreamReader& in) {
    in.ReadListBegin();
    in.ReadInteger();
    in.ReadInteger();
    in.ReadInteger();
    in.ReadString();
    in.ReadString();
    in.ReadBoolean();
    in.ReadInt16();
    in.ReadInt32();
    in.ReadShortString();
    in.ReadBlock(3);
    in.EndOfList();
    in.ReadListEnd();
}

Bytes ListOfEveryKind() {
    ValueStreamWriter out;
    out.WriteListBegin();
    out.WriteInteger(1);
    out.WriteInteger(1000);
    out.WriteInteger(100000);
    out.WriteString("short");
    out.WriteString(std::string(300, 'z'));
    out.WriteBoolean(true);
    out.WriteInt16(5);
    out.WriteInt32(6);
    out.WriteShortString("raw");
    out.WriteBlock(Bytes{1, 2, 3});
    out.WriteListEnd();
    return out.Bytes();
}

TEST(ValueStream, EveryTruncationThrowsReadError) {
    const auto full = ListOfEveryKind();
    ValueStreamReader whole(full);
    ASSERT_NO_THROW(ReadEveryKind(whole));
    for (std::size_t size = 0; size < full.size(); ++size) {
        ValueStreamReader in{std::span(full).first(size)};
        EXPECT_THROW(ReadEveryKind(in), ReadError) << "cut at " << size;
    }
}

TEST(ValueStream, UnexpectedTagsThrowReadError) {
    const Bytes stringTag{0x06, 0x00};
    const Bytes integerTag{0x02, 0x00};
    const Bytes unknownTag{0x05, 0x00, 0x00};
    EXPECT_THROW(ValueStreamReader(stringTag).ReadInteger(), ReadError);
    EXPECT_THROW(ValueStreamReader(unknownTag).ReadInteger(), ReadError);
    EXPECT_THROW(ValueStreamReader(integerTag).ReadString(), ReadError);
    EXPECT_THROW(ValueStreamReader(integerTag).ReadBoolean(), ReadError);
    EXPECT_THROW(ValueStreamReader(integerTag).ReadListBegin(), ReadError);
    EXPECT_THROW(ValueStreamReader(Bytes{0x01}).ReadListEnd(), ReadError);
    EXPECT_THROW(ValueStreamReader(Bytes{}).EndOfList(), ReadError);
}

TEST(ValueStream, LongStringLengthBeyondTheDataThrowsWithoutAllocating) {
    const Bytes huge{0x0C, 0xFF, 0xFF, 0xFF, 0xFF, 'a'};
    EXPECT_THROW(ValueStreamReader(huge).ReadString(), ReadError);
}

} // namespace
} // namespace shelfwise::settings
