#include "TableFixture.h"
#include "engine/EngineFuzzHarness.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace shelfwise::engine::testing {
namespace {

class FuzzCorpus : public TableFixture {
protected:
    // Runs the reader over every seed of the corpus folder; returns how many there were.
    template <typename Reader> std::size_t replay(const char* folder, const Reader& reader) {
        std::size_t seeds = 0;
        for (const auto& entry : std::filesystem::directory_iterator(
                 std::filesystem::path(ENGINE_FUZZ_CORPUS) / folder)) {
            const std::vector<std::uint8_t> input = shelfwise::test::ReadBytes(entry.path());
            EXPECT_TRUE(reader(input)) << entry.path();
            ++seeds;
        }
        return seeds;
    }
};

TEST_F(FuzzCorpus, EveryTableSeedOpensOrIsRefused) {
    EXPECT_GE(replay("table", [&](const auto& input) { return fuzz::RunTableReader(input, dir); }),
              4u);
}

TEST_F(FuzzCorpus, EveryIndexSeedReadsOrIsRefused) {
    EXPECT_GE(replay("mdx", [&](const auto& input) { return fuzz::RunMdxReader(input, dir); }), 3u);
}

TEST_F(FuzzCorpus, EveryKeyExpressionSeedCompilesOrIsRefused) {
    EXPECT_GE(replay("key", [](const auto& input) { return fuzz::RunKeyExpression(input); }), 10u);
}

} // namespace
} // namespace shelfwise::engine::testing
