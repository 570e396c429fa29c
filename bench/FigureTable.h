#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tessavo::bench {

// Collects the runs of the benchmarks and prints them as one table: each figure beside its
// baseline of the same run, their ratio, and the targets met or missed. Benchmarks are named
// "<figure>/<size>"; a size is a record count, or a text length for the cipher figures.
class FigureTable : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context& context) override;
    void ReportRuns(const std::vector<Run>& runs) override;

    // Prints the table; returns the number of targets missed or not measured.
    int print(std::ostream& out) const;

private:
    struct Value {
        std::optional<double> number;
        std::optional<double> cpuMilliseconds;
        std::string error;
        bool fromMedian = false;
    };
    using Key = std::pair<std::string, long>;  // figure, size

    const Value* find(const std::string& figure, long size) const;

    std::map<Key, Value> values_;
};

}  // namespace tessavo::bench
