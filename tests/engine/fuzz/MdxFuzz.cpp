// libFuzzer entry: the .mdx reader alone over arbitrary bytes.
#include "engine/EngineFuzzHarness.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto directory = [] {
        auto path =
            std::filesystem::temp_directory_path() / ("sw-mdx-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    if (!shelfwise::engine::fuzz::RunMdxReader({data, size}, directory)) {
        std::abort();
    }
    return 0;
}
