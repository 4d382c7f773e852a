#include "settings/ReadersFuzzHarness.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace shelfwise::settings {
namespace {

TEST(ReadersFuzzCorpus, EverySeedReadsStably) {
    const std::filesystem::path corpus = SETTINGS_FUZZ_CORPUS;
    std::size_t seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        shelfwise::test::TemporaryDirectory scratch;
        const auto input = shelfwise::test::ReadBytes(entry.path());
        EXPECT_TRUE(test::RunSettingsReaders(input, scratch.Path())) << entry.path();
        ++seeds;
    }
    EXPECT_GE(seeds, 7u);
}

} // namespace
} // namespace shelfwise::settings
