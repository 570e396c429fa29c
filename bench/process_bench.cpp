// Start-up and resident memory, each in a process of its own (tessavo_bench_process), beside a
// bare Qt process over the same file.
#include <benchmark/benchmark.h>

#include <exception>
#include <string>

#include "bench/BenchData.h"
#include "bench/ChildProcess.h"

namespace {

using tessavo::bench::datasetWith;
using tessavo::bench::WorkingCopy;

void timeChild(benchmark::State& state, const char* mode) {
    const WorkingCopy copy(datasetWith(static_cast<int>(state.range(0))));
    double cpuSeconds = 0;
    try {
        for (auto _ : state) {
            const auto report =
                tessavo::bench::runChild(tessavo::bench::helperProgram(), {mode, copy.appDir().toStdString()});
            state.SetIterationTime(report.secondsToFirstLine);
            cpuSeconds += report.cpuSeconds;
        }
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuSeconds * 1e3, benchmark::Counter::kAvgIterations);
}

void measureResidentMemory(benchmark::State& state, const char* mode) {
    const WorkingCopy copy(datasetWith(static_cast<int>(state.range(0))));
    try {
        double kilobytes = 0;
        for (auto _ : state) {
            const auto report =
                tessavo::bench::runChild(tessavo::bench::helperProgram(), {mode, copy.appDir().toStdString()});
            kilobytes = std::stod(report.firstLine.substr(report.firstLine.find(' ') + 1));
        }
        state.counters["rss_mb"] = kilobytes / 1024.0;
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}

void start_to_login_window(benchmark::State& state) { timeChild(state, "start"); }
void bare_qt_window_start(benchmark::State& state) { timeChild(state, "bare"); }
void rss_after_login(benchmark::State& state) { measureResidentMemory(state, "login-rss"); }
void bare_qt_window_rss(benchmark::State& state) { measureResidentMemory(state, "bare-rss"); }

}  // namespace

BENCHMARK(start_to_login_window)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(bare_qt_window_start)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(rss_after_login)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1);
BENCHMARK(bare_qt_window_rss)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1);
