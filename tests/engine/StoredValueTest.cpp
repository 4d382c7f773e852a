#include "TableFixture.h"
#include "engine/TableOperations.h"

#include <gtest/gtest.h>

namespace shelfwise::engine::testing {
namespace {

// A binary value learnt from its memo header alone.
class StoredValueTest : public TableFixture {
protected:
    static constexpr int Name = 0;
    static constexpr int Picture = 1;
    static constexpr std::uint64_t FirstValue = 512; // block 1

    void SetUp() override {
        createTable(dir, "data.dbf", {{"NAME", 'C', 10, 0}, {"PICTURE", 'B', 10, 0}});
        Table t;
        openOn(t, "data.dbf");
        t.append();
        t.setText(Name, "Scanner");
        t.setBytes(Picture, std::string(1500, 'p'));
        t.post();
    }

    void patchMemo(std::uint64_t offset, std::string_view bytes) const {
        std::string memo = shelfwise::test::ReadText(dir / "data.dbt");
        memo.replace(offset, bytes.size(), bytes);
        shelfwise::test::WriteText(dir / "data.dbt", memo);
    }
};

TEST_F(StoredValueTest, TellsTheSizeAndTellsARewrittenValueFromTheOldOne) {
    Table t;
    openOn(t, "data.dbf");
    t.first();
    const Table::StoredValue first = t.storedValue(Picture);
    EXPECT_EQ(first.block, 1u);
    EXPECT_EQ(first.size, 1500u);
    EXPECT_EQ(t.storedValue(Picture).changeCounter, first.changeCounter);

    // The same size again is written over the same blocks: only the counter tells them apart.
    t.edit();
    t.setBytes(Picture, std::string(1500, 'q'));
    EXPECT_EQ(t.storedValue(Picture).block, 0u) << "a value not yet posted";
    EXPECT_EQ(t.storedValue(Picture).size, 1500u);
    t.post();
    const Table::StoredValue second = t.storedValue(Picture);
    EXPECT_EQ(second.block, first.block);
    EXPECT_EQ(second.size, first.size);
    EXPECT_NE(second.changeCounter, first.changeCounter);

    // Another open sees the counter this one advanced.
    Table other;
    openOn(other, "data.dbf");
    other.first();
    EXPECT_EQ(other.storedValue(Picture).changeCounter, second.changeCounter);

    t.edit();
    t.clear(Picture);
    t.post();
    EXPECT_EQ(t.storedValue(Picture).size, 0u);
    EXPECT_EQ(t.storedValue(Picture).block, 0u);
    EXPECT_EQ(reasonOf([&] { t.storedValue(Name); }), EngineError::Reason::Usage);
}

TEST_F(StoredValueTest, AHostileMemoFileIsRefusedAsDamagedAndTheRecordStaysReadable) {
    const std::string sound = shelfwise::test::ReadText(dir / "data.dbt");
    struct Case {
        const char* What;
        std::uint64_t Offset;
        std::string Bytes;
        const char* Message;
    };
    const Case cases[] = {
        {"a block past the end", 0, "", "lies outside the file"},
        {"a length larger than the file", FirstValue + 4, std::string("\x00\x00\x00\x7f", 4),
         "claims 2130706432 bytes"},
        {"a length shorter than its header", FirstValue + 4, std::string("\x03\x00\x00\x00", 4),
         "claims 3 bytes"},
        {"no memo header", FirstValue, "abcd", "has no memo header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        shelfwise::test::WriteText(dir / "data.dbt", sound);
        if (c.Bytes.empty()) {
            // The value's blocks cut off: the record points past the file's end.
            shelfwise::test::WriteText(dir / "data.dbt", sound.substr(0, FirstValue));
        } else {
            patchMemo(c.Offset, c.Bytes);
        }
        Table t;
        t.setReadOnly(true);
        openOn(t, "data.dbf");
        t.first();
        try {
            t.storedValue(Picture);
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.reason(), EngineError::Reason::Damaged);
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("data.dbt"), std::string::npos) << e.what();
        }
        EXPECT_EQ(reasonOf([&] { t.bytes(Picture); }), EngineError::Reason::Damaged);
        EXPECT_EQ(t.text(Name), "Scanner");
    }
}

// A value whose bytes tell where they stand.
std::string Numbered(std::size_t size) {
    std::string value(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        value[i] = static_cast<char>(i * 7 % 251);
    }
    return value;
}

TEST_F(StoredValueTest, PartsOfAValueAreItsBytesAndNothingPastItsEndIsRead) {
    const std::string stored = Numbered(1500);
    Table t;
    openOn(t, "data.dbf");
    t.first();
    t.edit();
    t.setBytes(Picture, stored);
    t.post();
    const auto read = [&t](std::vector<Table::ByteRange> ranges) {
        std::uint64_t total = 0;
        for (const Table::ByteRange& range : ranges) {
            total += range.size;
        }
        std::string into(total, '?');
        t.readBytes(Picture, ranges, into);
        return into;
    };
    const std::vector<Table::ByteRange> parts = {{0, 10}, {1490, 10}, {700, 0}, {512, 300}};
    const std::string expected =
        stored.substr(0, 10) + stored.substr(1490) + stored.substr(512, 300);
    EXPECT_EQ(read(parts), expected);

    // A value set but not yet posted is read from what was set.
    t.edit();
    const std::string pending = Numbered(2000).substr(3);
    t.setBytes(Picture, pending);
    EXPECT_EQ(read({{1990, 7}}), pending.substr(1990));
    t.cancel();

    const Table::ByteRange outside[] = {
        {1491, 10},                 // one byte past the end
        {1501, 0},                  // a start past the end
        {~std::uint64_t(0) - 4, 8}, // a start and size that wrap around
    };
    for (const Table::ByteRange& range : outside) {
        SCOPED_TRACE(range.offset);
        std::string into(range.size, '?');
        EXPECT_EQ(reasonOf([&] { t.readBytes(Picture, std::span(&range, 1), into); }),
                  EngineError::Reason::Usage);
    }
    std::string room(5, '?');
    EXPECT_EQ(reasonOf([&] { t.readBytes(Picture, parts, room); }), EngineError::Reason::Usage)
        << "room that does not fit the parts";
    EXPECT_EQ(reasonOf([&] { t.readBytes(Name, {}, {}); }), EngineError::Reason::Usage);
    t.edit();
    t.clear(Picture);
    t.post();
    EXPECT_EQ(read({}), "");
    EXPECT_EQ(reasonOf([&] { read({{0, 1}}); }), EngineError::Reason::Usage);
}

TEST_F(StoredValueTest, PartsOfAValueCutShortOrWithADamagedHeaderAreRefusedAsDamaged) {
    const std::string sound = shelfwise::test::ReadText(dir / "data.dbt");
    const std::string cases[] = {
        sound.substr(0, FirstValue + 1000), // the file ends inside it
        sound.substr(0, FirstValue) + "abcd" + sound.substr(FirstValue + 4), // no memo header
    };
    for (const std::string& memo : cases) {
        shelfwise::test::WriteText(dir / "data.dbt", memo);
        Table t;
        t.setReadOnly(true);
        openOn(t, "data.dbf");
        t.first();
        std::string into(10, '?');
        const std::vector<Table::ByteRange> start = {{0, 10}};
        EXPECT_EQ(reasonOf([&] { t.readBytes(Picture, start, into); }),
                  EngineError::Reason::Damaged);
        EXPECT_EQ(t.text(Name), "Scanner");
    }

    // Cut short after the cursor learnt its size.
    shelfwise::test::WriteText(dir / "data.dbt", sound);
    Table t;
    t.setReadOnly(true);
    openOn(t, "data.dbf");
    t.first();
    ASSERT_EQ(t.storedValue(Picture).size, 1500u);
    shelfwise::test::WriteText(dir / "data.dbt", sound.substr(0, FirstValue + 1000));
    std::string into(10, '?');
    const std::vector<Table::ByteRange> end = {{1490, 10}};
    EXPECT_EQ(reasonOf([&] { t.readBytes(Picture, end, into); }), EngineError::Reason::Damaged);
}

} // namespace
} // namespace shelfwise::engine::testing
