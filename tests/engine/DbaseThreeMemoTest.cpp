#include "TableFixture.h"
#include "engine/MemoFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace shelfwise::engine::testing {
namespace {

using namespace std::string_literals;

// dBASE III values carry no length: it is the distance to their end mark, which may fall on
// any byte of a read, and a file may end a value with one mark or none at all.
class DbaseThreeMemoTest : public TableFixture {
protected:
    std::filesystem::path path() const { return dir / "three.dbt"; }
};

TEST_F(DbaseThreeMemoTest, TheSizeIsTheValueUpToItsEndMarkWhereverTheMarkFalls) {
    MemoFile::create(path(), "three", true);
    MemoFile memo(path(), PosixFile::Access::ReadWrite, true);
    const std::string values[] = {
        "x",
        std::string(510, 'a'),  // its mark fills the block's last two bytes
        std::string(511, 'b'),  // its mark spans the first and the second read
        std::string(1535, 'c'), // ... the second and the third
        "one \x1A inside"s,     // a single mark is part of the value
        std::string(600 * 1024, 'd') + "\x1A" + std::string(10, 'e'), // many reads
    };
    std::vector<std::uint32_t> blocks;
    for (const std::string& value : values) {
        blocks.push_back(memo.write(0, value));
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(memo.size(blocks[i]), values[i].size());
        EXPECT_EQ(memo.read(blocks[i]), values[i]);
    }
}

TEST_F(DbaseThreeMemoTest, ALastValueEndedByOneMarkOrNoneAtAll) {
    MemoFile::create(path(), "three", true);
    std::string file = shelfwise::test::ReadText(path());
    const struct {
        std::string tail;
        std::optional<std::size_t> size;
    } cases[] = {
        {"ends here\x1A", 9},
        {"ends here\x1A and junk after", 9},
        {"no end mark at all", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        shelfwise::test::WriteText(path(), file.substr(0, MemoFile::kBlockSize) + c.tail);
        MemoFile memo(path(), PosixFile::Access::ReadOnly, true);
        if (c.size) {
            EXPECT_EQ(memo.size(1), *c.size);
            EXPECT_EQ(memo.read(1), c.tail.substr(0, *c.size));
        } else {
            EXPECT_EQ(reasonOf([&] { memo.size(1); }), EngineError::Reason::Damaged);
            EXPECT_EQ(reasonOf([&] { memo.read(1); }), EngineError::Reason::Damaged);
        }
    }
}

} // namespace
} // namespace shelfwise::engine::testing
