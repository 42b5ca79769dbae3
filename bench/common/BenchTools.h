#pragma once
// What the benchmark programs share: starting a tool as a child process and reading its wall
// time and peak resident memory (wait4's resource usage, through pelto-bench-launch),
// interleaved rounds of several measures, and medians.
//
// Memory is reported in MB of 1024 * 1024 bytes, as the kernel counts resident pages.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace pelto::bench {

// One timed run: wall seconds and the peak resident memory (KiB) of the largest process of the
// run, or -1 when the run took place inside the benchmark itself.
struct Sample {
    double seconds = 0;
    long peakKiB = -1;
};

struct ChildOptions {
    // Where the child's standard output goes; /dev/null when empty.
    std::string output;
    // Extra environment entries, "NAME=value", replacing those of the same name.
    std::vector<std::string> environment;
    // Exit statuses that count as success.
    std::vector<int> okStatuses{0};
};

// Runs `args` (looked up on PATH) through pelto-bench-launch and waits for it. The peak memory is
// the largest of the tool and the processes it waited for (ru_maxrss is a maximum, not a sum).
// Throws std::runtime_error when the program cannot start or ends with another status.
Sample runChild(const std::vector<std::string>& args, const ChildOptions& options = {});

// Runs the steps one after another as one sample: the seconds add up, the peak is the largest.
Sample runChildren(const std::vector<std::vector<std::string>>& steps,
                   const ChildOptions& options = {});

// The path of the running benchmark program, to start it again in a mode of its own.
std::string ownProgram();

double median(std::vector<double> values);

// Peak resident memory of this process so far, KiB.
long ownPeakKiB();

double megabytes(long kib);

// A measure of an interleaved benchmark: its name, what one run does, and the samples taken.
struct Measure {
    std::string name;
    std::function<Sample()> run;
    std::vector<Sample> samples;

    double medianSeconds() const;
    // The largest peak of the samples, KiB; -1 when none was measured.
    long peakKiB() const;
};

// Takes `rounds` samples of every measure. Each round starts one measure later than the one
// before, so that no measure always follows the same other one. Prints one line per round,
// prefixed with `label`.
void measureInterleaved(std::vector<Measure>& measures, int rounds, const std::string& label);

// The median of the per-round ratios a / b (rounds are paired, so slow phases of the machine
// affect both sides of each ratio alike).
double medianRatio(const Measure& a, const Measure& b);

// The measure of that name; throws when there is none.
const Measure& measureNamed(const std::vector<Measure>& measures, const std::string& name);

// Round count from "--runs N"; at least 1.
int parseRounds(const char* text);

} // namespace pelto::bench
