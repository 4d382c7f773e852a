// libFuzzer entry: the PCX reader over arbitrary bytes.
#include "media/PcxFuzzHarness.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!shelfwise::media::fuzz::RunPcxReader({data, size})) {
        std::abort();
    }
    return 0;
}
