// Runs the benchmarks and prints one table: each figure, its baseline of the same run, their
// ratio and the targets. Google Benchmark's flags (--benchmark_filter=...) work as usual.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <exception>
#include <iostream>
#include <vector>

#include "bench/BenchData.h"
#include "bench/FigureTable.h"
#include "tests/support/OffscreenSession.h"

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    // Temporary files too: the working copies of the databases go to the home directory.
    tessavo::test::isolateOffscreenSession(home.path().toUtf8());
    QApplication app(argc, argv);
    // The repetitions of the figures run interleaved at random, unless a later flag on the command
    // line says otherwise.
    std::vector<char*> arguments(argv, argv + argc);
    char interleaved[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleaved);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;

    try {
        for (const tessavo::bench::Dataset& dataset : tessavo::bench::datasets()) {
            std::cerr << "dataset of " << dataset.records << " records in " << dataset.categories
                      << " categories: " << tessavo::bench::cachedDatasetDir(dataset).toStdString() << '\n';
        }
    } catch (const std::exception& error) {
        std::cerr << "cannot make the datasets: " << error.what() << '\n';
        return 1;
    }

    tessavo::bench::FigureTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    benchmark::Shutdown();
    const int missed = table.print(std::cout);
    std::cout << (missed == 0 ? "Every target measured is met.\n" : std::to_string(missed) + " target(s) missed.\n");
    return 0;
}
