#include "bench/ratio_reporter.h"

#include <unistd.h>

#include <cstdio>
#include <ostream>
#include <utility>

namespace {

// Splits "Multiply/ours/256" into the operation "Multiply/256" and the
// component naming the variant, when that component is ours or the baseline.
bool splitName(const std::string& name, const std::string& ours, const std::string& baseline,
               std::string* op, std::string* variant) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = name.find('/', start);
        parts.push_back(name.substr(start, slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (parts[i] != ours && parts[i] != baseline) continue;
        *variant = parts[i];
        op->clear();
        for (std::size_t j = 0; j < parts.size(); ++j) {
            if (j == i) continue;
            if (!op->empty()) op->push_back('/');
            op->append(parts[j]);
        }
        return true;
    }
    return false;
}

// Colour only on a terminal, as the library's own default reporter does.
benchmark::ConsoleReporter::OutputOptions consoleOptions() {
    return isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_Color : benchmark::ConsoleReporter::OO_None;
}

}  // namespace

RatioReporter::RatioReporter(std::string ours, std::string baseline)
    : ConsoleReporter(consoleOptions()), ours_(std::move(ours)), baseline_(std::move(baseline)) {}

RatioReporter::Pair& RatioReporter::pairFor(const std::string& op) {
    for (Pair& p : pairs_)
        if (p.op == op) return p;
    pairs_.push_back(Pair{op, {}, {}});
    return pairs_.back();
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred) continue;
        const bool plain = run.run_type == Run::RT_Iteration;
        if (!plain && run.aggregate_name != "median") continue;
        // The run name carries no aggregate suffix, so both kinds split alike.
        std::string op, variant;
        if (!splitName(run.run_name.str(), ours_, baseline_, &op, &variant)) continue;
        Pair& pair = pairFor(op);
        Timing& t = variant == ours_ ? pair.ours : pair.baseline;
        // Benchmarks may use different time units; compare in seconds.
        const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        if (plain) {
            t.runSeconds += seconds;
            ++t.runs;
        } else {
            t.medianSeconds = seconds;
            t.hasMedian = true;
        }
    }
}

void RatioReporter::printRatios(std::ostream& out) const {
    for (const Pair& p : pairs_) {
        out << p.op << ": ";
        if (p.ours.empty() || p.baseline.empty()) {
            out << "no " << (p.ours.empty() ? ours_ : baseline_) << " result\n";
            continue;
        }
        char ratio[32];
        std::snprintf(ratio, sizeof ratio, "%.2f", p.ours.seconds() / p.baseline.seconds());
        out << ours_ << '/' << baseline_ << " = " << ratio << '\n';
    }
}

int runWithRatios(int argc, char** argv, const char* ours, const char* baseline) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(ours, baseline);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios(reporter.GetOutputStream());
    benchmark::Shutdown();
    return 0;
}
