#pragma once

// The benchmark run of a main() that first makes its own Qt application object.

#include <benchmark/benchmark.h>

namespace shelfwise::bench {

inline int RunBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace shelfwise::bench
