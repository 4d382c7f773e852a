// libFuzzer entry: the key expression compiler and evaluator.
#include "engine/EngineFuzzHarness.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!shelfwise::engine::fuzz::RunKeyExpression({data, size})) {
        std::abort();
    }
    return 0;
}
