// Side-by-side benchmarks: each operation is registered twice, as
// "<op>/<ours>" and "<op>/<baseline>" (the variant may be any one component of
// the name, e.g. "Inverse/ours/256"). After the normal console table, one line
// per operation gives ours / baseline in real time per iteration, so a value
// below 1 means ours is faster. With repetitions the medians are compared,
// otherwise the mean of the runs of each name.
#pragma once

#include <benchmark/benchmark.h>

#include <iosfwd>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter(std::string ours, std::string baseline);

    void ReportRuns(const std::vector<Run>& runs) override;

    // One line per operation, in the order operations were first reported:
    // "Multiply: ours/glm = 0.83", or a note when either side has no result.
    void printRatios(std::ostream& out) const;

private:
    struct Timing {
        double runSeconds = 0;  // sum over plain runs
        int runs = 0;
        double medianSeconds = 0;
        bool hasMedian = false;

        bool empty() const { return runs == 0 && !hasMedian; }
        double seconds() const { return hasMedian ? medianSeconds : runSeconds / runs; }
    };
    struct Pair {
        std::string op;
        Timing ours;
        Timing baseline;
    };

    Pair& pairFor(const std::string& op);

    std::string ours_;
    std::string baseline_;
    std::vector<Pair> pairs_;
};

// A benchmark main: parses the benchmark flags, runs what they select with a
// RatioReporter and prints the ratios. Returns 1 for unknown flags, else 0.
int runWithRatios(int argc, char** argv, const char* ours, const char* baseline);
