// The import of a large CSV file by tessavo-db, in a process of its own: its time and the most
// memory it held, beside a dry run of the same file (read and checked, nothing stored).
#include <benchmark/benchmark.h>

#include <exception>
#include <string>

#include "bench/BenchData.h"
#include "bench/ChildProcess.h"
#include "tests/support/TempAppDir.h"

namespace {

using tessavo::bench::cachedImportFile;

void importChild(benchmark::State& state, bool dryRun) {
    try {
        const std::string file = cachedImportFile(static_cast<int>(state.range(0))).toStdString();
        double peak = 0;
        for (auto _ : state) {
            state.PauseTiming();
            const tessavo::test::TempAppDir app;  // an initial _.udb, as `tessavo-db init` makes it
            std::vector<std::string> arguments{"import", app.path().toStdString(), file};
            if (dryRun) arguments.push_back("--dry-run");
            state.ResumeTiming();
            const auto report = tessavo::bench::runChild(tessavo::bench::transferTool(), arguments);
            state.SetIterationTime(report.secondsToFirstLine);
            peak = report.peakResidentMegabytes;
        }
        state.counters["rss_mb"] = peak;
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}

void import_csv(benchmark::State& state) { importChild(state, false); }
void import_csv_dry_run(benchmark::State& state) { importChild(state, true); }
void import_csv_peak_rss(benchmark::State& state) { importChild(state, false); }
void import_csv_dry_run_peak_rss(benchmark::State& state) { importChild(state, true); }

}  // namespace

BENCHMARK(import_csv)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(import_csv_dry_run)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(import_csv_peak_rss)->Arg(1000000)->UseManualTime()->Iterations(1);
BENCHMARK(import_csv_dry_run_peak_rss)->Arg(1000000)->UseManualTime()->Iterations(1);
