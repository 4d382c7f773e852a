#include "TableFixture.h"
#include "engine/TableOperations.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace shelfwise::engine::testing {
namespace {

// A record keeps one block number per memo or binary field; spoiling one of them must not
// spoil the others.
class MemoPointerTest : public TableFixture {
protected:
    static constexpr int Name = 0;
    static constexpr int Notes = 1;
    static constexpr int Picture = 2;

    void SetUp() override {
        createTable(dir, "data.dbf",
                    {{"NAME", 'C', 10, 0}, {"NOTES", 'M', 10, 0}, {"PICTURE", 'B', 10, 0}});
        Table t;
        openOn(t, "data.dbf");
        t.append();
        t.setText(Name, "Compiler");
        t.setBytes(Notes, std::string(700, 'n'));
        t.setBytes(Picture, std::string("\x89PNG\0\x01", 6));
        t.post();
        notesOffset = t.field(Notes).offset;
        t.close();
    }

    // Writes ten bytes over the NOTES field of the first record, where its descriptor says it
    // lies (the offset counts the deleted flag).
    void spoilNotes(const std::string& garbage) const {
        std::fstream file(dir / "data.dbf", std::ios::in | std::ios::out | std::ios::binary);
        unsigned char length[2];
        file.seekg(8);
        file.read(reinterpret_cast<char*>(length), 2);
        file.seekp(length[0] + 256 * length[1] + notesOffset);
        file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    }

    std::uint32_t notesOffset = 0;
};

TEST_F(MemoPointerTest, ASpoiledMemoPointerLeavesTheOtherFieldsOfTheRecordReadable) {
    const char* cases[] = {"    12x456", "    999999", "         2", "\xff\xfe garbage"};
    for (const char* garbage : cases) {
        SCOPED_TRACE(garbage);
        spoilNotes(garbage);
        Table t;
        t.setReadOnly(true);
        openOn(t, "data.dbf");
        EXPECT_EQ(reasonOf([&] { t.bytes(Notes); }), EngineError::Reason::Damaged);
        EXPECT_EQ(t.text(Name), "Compiler");
        EXPECT_EQ(t.bytes(Picture), std::string("\x89PNG\0\x01", 6));
        EXPECT_FALSE(t.isEmpty(Picture));
    }
}

} // namespace
} // namespace shelfwise::engine::testing
