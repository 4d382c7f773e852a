#include "TableFixture.h"
#include "engine/TableOperations.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

namespace shelfwise::engine::testing {
namespace {

// Memo blocks an edit frees go on the dBASE IV free-block chain and are used again, so a busy
// table's memo file stays the size its live values need.
class MemoChainTest : public TableFixture {
protected:
    std::string memoBytes() const { return shelfwise::test::ReadText(dir / "data.dbt"); }
    static std::uint32_t u32(const std::string& bytes, std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) {
            v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        }
        return v;
    }
};

TEST_F(MemoChainTest, FreedBlocksAreChainedInOrderAndUsedAgain) {
    createTable(dir, "data.dbf", {{"NAME", 'C', 10, 0}, {"NOTES", 'M', 10, 0}});
    Table t;
    openOn(t, "data.dbf");
    std::mt19937 random(7);
    std::map<std::uint32_t, std::string> expected;
    auto valueOfBlocks = [&](unsigned blocks) {
        return std::string(blocks * 512 - 8 - random() % 100,
                           static_cast<char>('a' + random() % 26));
    };
    for (int n = 1; n <= 20; ++n) {
        t.append();
        t.setText(0, "r" + std::to_string(n));
        t.setText(1, expected[static_cast<std::uint32_t>(n)] = valueOfBlocks(1 + n % 3));
        t.post();
    }
    const std::size_t startSize = memoBytes().size();
    // Values grow, shrink, empty and come back: without reuse the file would grow by about
    // two blocks an edit.
    for (int edit = 0; edit < 300; ++edit) {
        const std::uint32_t n = 1 + random() % 20;
        ASSERT_TRUE(t.goToRecord(n));
        t.edit();
        const unsigned blocks = random() % 5;
        t.setText(1, expected[n] = blocks == 0 ? std::string() : valueOfBlocks(blocks));
        t.post();
    }
    for (const auto& [n, value] : expected) {
        ASSERT_TRUE(t.goToRecord(n));
        ASSERT_EQ(t.text(1), value) << "record " << n;
    }
    t.close();

    const std::string bytes = memoBytes();
    EXPECT_LE(bytes.size(), startSize + 40 * 512);
    // The chain: runs in block order, none touching the next, ending at the first block past
    // the file.
    const std::uint32_t fileBlocks = static_cast<std::uint32_t>(bytes.size() / 512);
    std::uint32_t freeBlocks = 0;
    std::uint32_t block = u32(bytes, 0);
    std::uint32_t previousEnd = 0;
    while (block < fileBlocks) {
        ASSERT_GT(block, previousEnd) << "runs out of order or not merged";
        const std::uint32_t count = u32(bytes, std::size_t(block) * 512 + 4);
        ASSERT_GT(count, 0u);
        freeBlocks += count;
        previousEnd = block + count;
        block = u32(bytes, std::size_t(block) * 512);
    }
    EXPECT_EQ(block, fileBlocks);
    EXPECT_GT(freeBlocks, 0u);
}

} // namespace
} // namespace shelfwise::engine::testing
