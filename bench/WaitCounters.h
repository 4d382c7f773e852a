#pragma once

// Where a benchmark's wall time goes beside its CPU time, taken from the kernel's accounting of
// the benchmark's thread: seconds spent ready to run but waiting for a core (the scheduler's
// run-queue delay), times it blocked in the kernel (voluntary context switches: a disk read
// that missed the page cache, a flush, a lock wait) and bytes it made the disk read and write.
// What is left of the wall time after CPU and core waits is time blocked.

#include <benchmark/benchmark.h>
#include <cstdint>
#include <fstream>
#include <string>

namespace bench_waits {

struct Sample {
    double coreWaitSeconds = 0;
    double blocks = 0;
    double diskReadBytes = 0;
    double diskWriteBytes = 0;
};

inline Sample Take() {
    Sample s;
    std::uint64_t runNs = 0;
    std::uint64_t waitNs = 0;
    std::ifstream("/proc/thread-self/schedstat") >> runNs >> waitNs;
    s.coreWaitSeconds = static_cast<double>(waitNs) / 1e9;
    std::ifstream status("/proc/thread-self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
            s.blocks = std::stod(line.substr(line.find(':') + 1));
        }
    }
    std::ifstream io("/proc/self/io");
    for (std::string key; io >> key;) {
        double value = 0;
        io >> value;
        if (key == "read_bytes:") {
            s.diskReadBytes = value;
        } else if (key == "write_bytes:") {
            s.diskWriteBytes = value;
        }
    }
    return s;
}

// Reports the waits of the iterations run while it lives, per iteration, as the counters
// core_wait_s, blocks, disk_read_MB and disk_write_MB.
class Counters {
public:
    explicit Counters(benchmark::State& state) : state_(state), start_(Take()) {}
    ~Counters() {
        const Sample end = Take();
        const auto perIteration = benchmark::Counter::kAvgIterations;
        state_.counters["core_wait_s"] =
            benchmark::Counter(end.coreWaitSeconds - start_.coreWaitSeconds, perIteration);
        state_.counters["blocks"] = benchmark::Counter(end.blocks - start_.blocks, perIteration);
        state_.counters["disk_read_MB"] =
            benchmark::Counter((end.diskReadBytes - start_.diskReadBytes) / 1e6, perIteration);
        state_.counters["disk_write_MB"] =
            benchmark::Counter((end.diskWriteBytes - start_.diskWriteBytes) / 1e6, perIteration);
    }
    Counters(const Counters&) = delete;
    Counters& operator=(const Counters&) = delete;

private:
    benchmark::State& state_;
    Sample start_;
};

} // namespace bench_waits
