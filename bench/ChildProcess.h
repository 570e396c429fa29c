#pragma once

#include <string>
#include <vector>

namespace tessavo::bench {

// One run of a helper process: how long after its start it wrote its first line, and that line.
struct ChildReport {
    double secondsToFirstLine = 0;
    // The processor time (user and system) of the whole child, to its end.
    double cpuSeconds = 0;
    // The most resident memory the child held at any moment.
    double peakResidentMegabytes = 0;
    std::string firstLine;
};

// Starts `program` with `arguments` (its environment is ours), reads its first line of standard
// output, then waits for it to end. Throws std::runtime_error when it cannot start, writes no
// line, or ends with a status other than 0.
ChildReport runChild(const std::string& program, const std::vector<std::string>& arguments);

// The path of the helper program that the bench build puts beside the running benchmarks.
std::string helperProgram();
// The path of the built tessavo-db, beside them too.
std::string transferTool();

}  // namespace tessavo::bench
