#include "BenchTools.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pelto::bench {

namespace {

// The current environment with `extra` set over it.
std::vector<std::string> environmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        const bool replaced = std::any_of(extra.begin(), extra.end(), [&](const std::string& x) {
            return x.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (!replaced)
            entries.push_back(entry);
    }
    entries.insert(entries.end(), extra.begin(), extra.end());
    return entries;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (std::string& s : strings)
        p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

} // namespace

Sample runChild(const std::vector<std::string>& args, const ChildOptions& options) {
    // The launcher starts the tool and writes "STATUS PEAK_KIB SECONDS" to its descriptor 3.
    std::vector<std::string> argStrings{PELTO_BENCH_LAUNCH};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<std::string> envStrings = environmentWith(options.environment);
    const std::vector<char*> argv = pointers(argStrings);
    const std::vector<char*> envp = pointers(envStrings);
    const std::string output = options.output.empty() ? "/dev/null" : options.output;
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make a pipe");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, report[1], 3);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(report[1]);
    if (rc != 0) {
        close(report[0]);
        throw std::runtime_error("cannot start " + argStrings[0] + ": " + std::strerror(rc));
    }
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            text.append(buffer, std::size_t(n));
        else if (errno != EINTR)
            break;
    }
    close(report[0]);
    int waitStatus = 0;
    while (waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    int status = -1;
    Sample sample;
    if (std::sscanf(text.c_str(), "%d %ld %lf", &status, &sample.peakKiB, &sample.seconds) != 3)
        status = -1;
    if (std::find(options.okStatuses.begin(), options.okStatuses.end(), status) ==
        options.okStatuses.end()) {
        std::string command;
        for (const std::string& a : args)
            command += (command.empty() ? "" : " ") + a;
        throw std::runtime_error(command + " ended with status " + std::to_string(status));
    }
    return sample;
}

Sample runChildren(const std::vector<std::vector<std::string>>& steps,
                   const ChildOptions& options) {
    Sample total{0, 0};
    for (const std::vector<std::string>& step : steps) {
        const Sample s = runChild(step, options);
        total.seconds += s.seconds;
        total.peakKiB = std::max(total.peakKiB, s.peakKiB);
    }
    return total;
}

std::string ownProgram() {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0)
        throw std::runtime_error("cannot find the benchmark program");
    path.resize(std::size_t(n));
    return path;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

long ownPeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double megabytes(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

double Measure::medianSeconds() const {
    std::vector<double> s;
    for (const Sample& sample : samples)
        s.push_back(sample.seconds);
    return median(s);
}

long Measure::peakKiB() const {
    long peak = -1;
    for (const Sample& sample : samples)
        peak = std::max(peak, sample.peakKiB);
    return peak;
}

void measureInterleaved(std::vector<Measure>& measures, int rounds, const std::string& label) {
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t step = 0; step < measures.size(); ++step) {
            Measure& m = measures[(std::size_t(r) + step) % measures.size()];
            m.samples.push_back(m.run());
        }
        std::cout << label << " round " << r + 1 << ":";
        for (const Measure& m : measures)
            std::cout << ' ' << m.name << ' ' << m.samples.back().seconds << " s";
        std::cout << std::endl;
    }
}

double medianRatio(const Measure& a, const Measure& b) {
    std::vector<double> r;
    for (std::size_t i = 0; i < a.samples.size() && i < b.samples.size(); ++i)
        r.push_back(a.samples[i].seconds / b.samples[i].seconds);
    return median(r);
}

const Measure& measureNamed(const std::vector<Measure>& measures, const std::string& name) {
    for (const Measure& m : measures)
        if (m.name == name)
            return m;
    throw std::logic_error("no measure " + name);
}

int parseRounds(const char* text) {
    return std::max(1, std::atoi(text));
}

} // namespace pelto::bench
