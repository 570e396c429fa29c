#include "bench/FigureTable.h"

#include <cstdio>
#include <iostream>
#include <set>

namespace tessavo::bench {
namespace {

enum class Measure { Milliseconds, NanosecondsPer8Bytes, Megabytes, KeyMilliseconds };

struct Figure {
    const char* name;
    const char* text;
    const char* baseline;
    const char* baselineText;
    Measure measure;
};

// The figures in the order of the table, each with the baseline it is divided by.
const std::vector<Figure>& figures() {
    static const std::vector<Figure> all = {
        {"start_to_login_window", "process start to login window shown", "bare_qt_window_start",
         "bare Qt process, Pass read, window", Measure::Milliseconds},
        {"login_to_filled_grid", "login to filled grid (categories+refresh)", "raw_select_all",
         "raw select all (refresh statement)", Measure::Milliseconds},
        {"refresh", "refresh", "raw_select_all", "raw select all (refresh statement)", Measure::Milliseconds},
        {"search", "search, few hits (title)", "raw_like_select", "raw LIKE select (same statement)",
         Measure::Milliseconds},
        {"search_broad", "search, every row a hit (address)", "raw_like_select_broad",
         "raw LIKE select (same statement)", Measure::Milliseconds},
        {"cell_click", "cell click (2 decrypts, counter update)", "raw_use_count_update", "raw counter update",
         Measure::Milliseconds},
        {"add", "add (insert, box, reset, refresh)", "raw_insert", "raw insert statement", Measure::Milliseconds},
        {"modify", "modify (update, reset, box, refresh)", "raw_modify", "raw update (7 lines)", Measure::Milliseconds},
        {"compaction", "compaction (button Button11)", "raw_sqlcipher_export", "sqlcipher_export alone",
         Measure::Milliseconds},
        {"rss_after_login", "resident memory after login", "bare_qt_window_rss", "bare Qt process, one window",
         Measure::Megabytes},
        {"encrypt_hex_per_8_bytes", "DesEncryptToHex per 8 bytes", "des_blocks_per_8_bytes",
         "key schedule + DES blocks alone", Measure::NanosecondsPer8Bytes},
        {"decrypt_hex_per_8_bytes", "DesDecryptFromHex per 8 bytes", "des_blocks_per_8_bytes",
         "key schedule + DES blocks alone", Measure::NanosecondsPer8Bytes},
        {"import_csv", "tessavo-db import of a CSV file (rows)", "import_csv_dry_run",
         "dry run of the same file (read, checked)", Measure::Milliseconds},
        {"import_csv_peak_rss", "tessavo-db import, peak resident memory", "import_csv_dry_run_peak_rss",
         "dry run of the same file", Measure::Megabytes},
        {"file_key_argon2id", "protected file key: Argon2id t=6, p=1", "fixed_password_open",
         "open under the fixed password (PBKDF2 64 000)", Measure::KeyMilliseconds},
    };
    return all;
}

const Figure* figureNamed(const std::string& name) {
    for (const Figure& figure : figures())
        if (name == figure.name || name == figure.baseline) return &figure;
    return nullptr;
}

struct Target {
    const char* figure;
    long size;
    std::optional<double> maxValue;
    std::optional<double> maxRatio;
};

const std::vector<Target>& targets() {
    static const std::vector<Target> all = {
        {"login_to_filled_grid", 100000, 1000.0, 1.3},   {"search", 100000, std::nullopt, 2.0},
        {"search_broad", 100000, std::nullopt, 2.0},     {"cell_click", 100000, 20.0, std::nullopt},
        {"rss_after_login", 100000, 60.0, std::nullopt}, {"import_csv_peak_rss", 1000000, 100.0, std::nullopt},
    };
    return all;
}

const Target* targetOf(const std::string& figure, long size) {
    for (const Target& target : targets())
        if (figure == target.figure && size == target.size) return &target;
    return nullptr;
}

double nanosecondsPerUnit(benchmark::TimeUnit unit) {
    switch (unit) {
        case benchmark::kNanosecond:
            return 1;
        case benchmark::kMicrosecond:
            return 1e3;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kSecond:
            return 1e9;
    }
    return 1;
}

std::optional<double> counter(const benchmark::BenchmarkReporter::Run& run, const char* name) {
    const auto found = run.counters.find(name);
    if (found == run.counters.end()) return std::nullopt;
    return found->second.value;
}

// The figure's value in its own measure.
std::optional<double> valueOf(const benchmark::BenchmarkReporter::Run& run, Measure measure) {
    const double nanoseconds = run.GetAdjustedRealTime() * nanosecondsPerUnit(run.time_unit);
    switch (measure) {
        case Measure::Milliseconds:
        case Measure::KeyMilliseconds:
            return nanoseconds / 1e6;
        case Measure::NanosecondsPer8Bytes: {
            // Pure computation on one thread: its processor time, which a busy machine disturbs less.
            const auto blocks = counter(run, "blocks");
            if (!blocks || *blocks <= 0) return std::nullopt;
            return run.GetAdjustedCPUTime() * nanosecondsPerUnit(run.time_unit) / *blocks;
        }
        case Measure::Megabytes:
            return counter(run, "rss_mb");
    }
    return std::nullopt;
}

const char* unitText(Measure measure) {
    switch (measure) {
        case Measure::Milliseconds:
        case Measure::KeyMilliseconds:
            return "ms";
        case Measure::NanosecondsPer8Bytes:
            return "ns cpu";
        case Measure::Megabytes:
            return "MB";
    }
    return "";
}

// "<figure>/<size>" into its parts; the size is 0 when the name has none.
std::pair<std::string, long> splitName(const std::string& name) {
    const auto slash = name.find('/');
    if (slash == std::string::npos) return {name, 0};
    const std::string size = name.substr(slash + 1);
    return {name.substr(0, slash), std::strtol(size.c_str(), nullptr, 10)};
}

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, value >= 100 ? "%.0f" : value >= 10 ? "%.1f" : "%.2f", value);
    return text;
}

std::string sizeText(Measure measure, long size) {
    if (measure == Measure::KeyMilliseconds) return std::to_string(size) + " MiB";  // the derivation's memory
    return std::to_string(size) + (measure == Measure::NanosecondsPer8Bytes ? " B" : " rec");
}

std::string targetText(const Target& target, Measure measure) {
    std::string text;
    if (target.maxValue) text += "<= " + numberText(*target.maxValue) + " " + unitText(measure);
    if (target.maxRatio) text += std::string(text.empty() ? "" : ", ") + "ratio <= " + numberText(*target.maxRatio);
    return text;
}

void printRow(std::ostream& out, const std::vector<std::string>& cells) {
    static const int widths[] = {41, 10, 22, 34, 22, 6, 26, 3};
    char line[512];
    int used = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const int width = widths[i];
        const bool rightAligned = i == 2 || i == 4 || i == 5;
        used += std::snprintf(line + used, sizeof line - static_cast<std::size_t>(used),
                              rightAligned ? "%*s  " : "%-*s  ", width, cells[i].c_str());
    }
    out << line << '\n';
}

}  // namespace

bool FigureTable::ReportContext(const Context&) { return true; }

void FigureTable::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        const auto [name, size] = splitName(run.benchmark_name());
        const Figure* figure = figureNamed(name);
        if (figure == nullptr) continue;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median) continue;
        Value& value = values_[{name, size}];
        if (value.fromMedian && !median) continue;
        value.fromMedian = median;
        if (run.error_occurred) {
            value.error = run.error_message;
            value.number.reset();
        } else {
            value.number = valueOf(run, figure->measure);
            value.cpuMilliseconds = counter(run, "cpu_ms");
        }
        std::cerr << "  measured " << run.benchmark_name() << '\n';
    }
}

const FigureTable::Value* FigureTable::find(const std::string& figure, long size) const {
    const auto found = values_.find({figure, size});
    return found == values_.end() ? nullptr : &found->second;
}

int FigureTable::print(std::ostream& out) const {
    out << "Times are elapsed (wall-clock) times, the median repetition where a figure has several; \"cpu\" is the "
           "processor time of the same work.\n";
    printRow(out, {"Figure", "Size", "Value", "Baseline", "Baseline value", "Ratio", "Target", "Met"});
    int missed = 0;
    for (const Figure& figure : figures()) {
        std::set<long> sizes;
        for (const auto& [key, value] : values_)
            if (key.first == figure.name) sizes.insert(key.second);
        for (const long size : sizes) {
            const Value* value = find(figure.name, size);
            const Value* baseline = find(figure.baseline, size);
            const auto text = [&](const Value* v) {
                if (v == nullptr) return std::string("-");
                if (!v->number) return std::string("error");
                std::string cell = numberText(*v->number) + " " + unitText(figure.measure);
                if (v->cpuMilliseconds) cell += " (cpu " + numberText(*v->cpuMilliseconds) + ")";
                return cell;
            };
            std::optional<double> ratio;
            if (value && value->number && baseline && baseline->number && *baseline->number > 0)
                ratio = *value->number / *baseline->number;
            std::string targetCell, met;
            if (const Target* target = targetOf(figure.name, size)) {
                targetCell = targetText(*target, figure.measure);
                bool ok = value && value->number.has_value();
                if (ok && target->maxValue) ok = *value->number <= *target->maxValue;
                if (ok && target->maxRatio) ok = ratio.has_value() && *ratio <= *target->maxRatio;
                met = ok ? "yes" : "NO";
                missed += ok ? 0 : 1;
            }
            printRow(out, {figure.text, sizeText(figure.measure, size), text(value), figure.baselineText,
                           text(baseline), ratio ? numberText(*ratio) : "-", targetCell, met});
            for (const Value* v : {value, baseline})
                if (v != nullptr && !v->error.empty()) out << "    error: " << v->error << '\n';
        }
    }
    std::size_t unmeasured = 0;
    for (const Target& target : targets())
        if (find(target.figure, target.size) == nullptr) ++unmeasured;
    if (unmeasured > 0) out << unmeasured << " target(s) not measured in this run.\n";
    return missed;
}

}  // namespace tessavo::bench
