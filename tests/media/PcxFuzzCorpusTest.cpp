#include "media/PcxFuzzHarness.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace shelfwise::media {
namespace {

TEST(PcxFuzzCorpus, EverySeedDecodesAndRoundTripsOrIsRefused) {
    std::size_t seeds = 0;
    std::size_t decoded = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(MEDIA_FUZZ_CORPUS) / "pcx")) {
        const std::vector<std::uint8_t> input = shelfwise::test::ReadBytes(entry.path());
        EXPECT_TRUE(fuzz::RunPcxReader(input)) << entry.path();
        const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());
        decoded += DecodePcx(bytes).isNull() ? 0 : 1;
        ++seeds;
    }
    EXPECT_GE(seeds, 7u);
    // Every seed but the one cut short is a sound file of its kind.
    EXPECT_EQ(decoded, seeds - 1);
}

} // namespace
} // namespace shelfwise::media
