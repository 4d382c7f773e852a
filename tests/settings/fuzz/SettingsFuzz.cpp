// libFuzzer entry over the settings readers; the test suite replays the seed corpus beside it.
#include "settings/ReadersFuzzHarness.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto directory = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("sw-settings-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    if (!shelfwise::settings::test::RunSettingsReaders({data, size}, directory)) {
        std::abort();
    }
    return 0;
}
