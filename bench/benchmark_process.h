#pragma once
// The main function of benchmark programs that also measure in a process that has started a
// thread.
//
// With --started_thread the program starts and joins one std::thread before it measures. From
// then on the C++ runtime makes every std::shared_ptr reference count an atomic operation, as it
// is in any caller's process that runs a thread pool or an interpreter with threads; the context
// line of the output says "process: started a thread". Without the flag the process stays single
// threaded. Run the program both ways, alternately, and compare the medians
// (scripts/performance-report.sh does).

#include <benchmark/benchmark.h>

#include <cstring>
#include <thread>

namespace benchmark_process {

constexpr const char* kStartedThreadFlag = "--started_thread";

inline int Main(int argc, char** argv) {
    // Take the flag out before the library sees the arguments.
    bool startThread = false;
    int kept = 0;
    for (int k = 0; k < argc; ++k) {
        if (k > 0 && std::strcmp(argv[k], kStartedThreadFlag) == 0) {
            startThread = true;
        } else {
            argv[kept++] = argv[k];
        }
    }
    argc = kept;
    if (startThread) {
        std::thread([] {}).join();
        benchmark::AddCustomContext("process", "started a thread");
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace benchmark_process
