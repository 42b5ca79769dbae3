// bench_compare: times the check of a folder tree pair against `find` and `rsync -an` on the
// same trees (warm cache, paired runs, medians) and prints the ratios last.
//
//   bench_compare [--runs N] [--expect FILE] [--once] SRC DST
//
// --expect compares the lines found with what the tree generator wrote down; --once runs one
// check only (for strace or perf).

#include "TreeGen.h"

#include "diag/ErrorLog.h"
#include "engine/compare/Compare.h"
#include "engine/compare/HeadlessMainForm.h"
#include "platform/ProgramState.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using pelto::g;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs a program with its output thrown away; returns its wall time in seconds.
double timeCommand(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        throw std::runtime_error("cannot start " + args[0]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = secondsSince(start);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(args[0] + " failed");
    return seconds;
}

long statusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    }
    return -1;
}

struct CheckResult {
    double seconds = 0;
    int pauses = 0;
};

class Checker {
public:
    Checker(QString src, QString dst) : src_(std::move(src)), dst_(std::move(dst)) {
        g().goFSO = &fs_;
    }

    // One check as the check workflow makes it, with the given display-refresh period.
    CheckResult run(qint16 updateFrequency) {
        for (pelto::ResultList* list :
             {&form_.lstSrcFile(), &form_.lstDstFile(), &form_.lstShowDirs(), &form_.lstSrcFolder(),
              &form_.lstDstFolder(), &form_.lstSrcFile2(), &form_.lstDstFile2(),
              &form_.lstSrcFolder2(), &form_.lstDstFolder2()})
            list->clear();
        g().glSrcFiles = 0;
        g().glDstFiles = 0;
        g().giUpdateFrequency = updateFrequency;
        const int pausesBefore = form_.doEventsCount();
        const Clock::time_point start = Clock::now();
        pelto::diag::StartTimer();
        pelto::CheckLists(nullptr, nullptr, QStringLiteral("folder"), QStringLiteral("dummy"),
                          QStringLiteral("dummy"), form_, true);
        if (!pelto::CheckFolders(src_, dst_, form_, true))
            throw std::runtime_error("the check failed");
        return CheckResult{secondsSince(start), form_.doEventsCount() - pausesBefore};
    }

    pelto::HeadlessMainForm& form() { return form_; }

private:
    QString src_;
    QString dst_;
    pelto::LinuxFileSystem fs_;
    pelto::HeadlessMainForm form_;
};

struct LineCounts {
    std::int64_t headers = 0;
    std::int64_t unmatched = 0;
    std::int64_t newer = 0;
    std::int64_t other = 0;
};

LineCounts countLines(const pelto::ResultList& list) {
    LineCounts c;
    const QString unmatched = QStringLiteral(" unmatched") + pelto::kNbsp;
    const QString newer = QStringLiteral(" newer") + pelto::kNbsp;
    for (const QString& line : list.items()) {
        if (line.startsWith(QLatin1String("Dir: ")))
            ++c.headers;
        else if (line.endsWith(unmatched) || line.contains(unmatched + QLatin1String(" to ")))
            ++c.unmatched;
        else if (line.endsWith(newer))
            ++c.newer;
        else
            ++c.other;
    }
    return c;
}

// Compares what the check found with what the generator wrote down; prints each difference.
bool matchesExpectation(pelto::HeadlessMainForm& form, const pelto::bench::TreeExpectation& e) {
    const LineCounts srcFile = countLines(form.lstSrcFile());
    const LineCounts dstFile = countLines(form.lstDstFile());
    bool ok = true;
    const auto expect = [&](const char* what, std::int64_t found, std::int64_t wanted) {
        if (found != wanted) {
            std::cout << "expectation: " << what << " found " << found << ", expected " << wanted
                      << '\n';
            ok = false;
        }
    };
    expect("source headers", srcFile.headers, e.sourceHeaders);
    expect("source unmatched", srcFile.unmatched, e.unmatchedSource);
    expect("source newer", srcFile.newer, e.newerSource);
    expect("destination headers", dstFile.headers, e.destinationHeaders);
    expect("destination unmatched", dstFile.unmatched, e.unmatchedDestination);
    expect("source folder lines", form.lstSrcFolder().count(), e.sourceFolderLines);
    expect("destination folder lines", form.lstDstFolder().count(), e.destinationFolderLines);
    expect("listed source files", g().glSrcFiles, e.listedSourceFiles);
    expect("listed destination files", g().glDstFiles, e.listedDestinationFiles);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    bool once = false;
    std::string expectFile;
    std::vector<std::string> trees;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--expect" && i + 1 < argc)
            expectFile = argv[++i];
        else if (arg == "--once")
            once = true;
        else
            trees.push_back(arg);
    }
    if (trees.size() != 2) {
        std::cerr << "usage: bench_compare [--runs N] [--expect FILE] [--once] SRC DST\n";
        return 2;
    }
    const std::string& src = trees[0];
    const std::string& dst = trees[1];

    // Notes about left-out names go to a log of their own, not into the working folder.
    const QString log = QDir::temp().filePath(QStringLiteral("pelto-bench-error-log.txt"));
    QFile::remove(log);
    pelto::diag::SetLogFile(log);
    pelto::diag::SetLogEnabled(true);

    try {
        const long rssBefore = statusKiB("VmRSS:");
        Checker checker(QString::fromStdString(src), QString::fromStdString(dst));
        // Display pauses off for the measurement: the period is longer than any run.
        constexpr qint16 kNoPauses = 32767;
        const CheckResult first = checker.run(kNoPauses);
        pelto::HeadlessMainForm& form = checker.form();
        const LineCounts srcFile = countLines(form.lstSrcFile());
        const LineCounts dstFile = countLines(form.lstDstFile());
        std::cout << "trees: " << src << " " << dst << '\n'
                  << "files listed: source " << g().glSrcFiles << ", destination " << g().glDstFiles
                  << '\n'
                  << "lines: lstSrcFile " << form.lstSrcFile().count() << " (" << srcFile.headers
                  << " headers, " << srcFile.unmatched << " unmatched, " << srcFile.newer
                  << " newer), lstDstFile " << form.lstDstFile().count() << " (" << dstFile.headers
                  << " headers, " << dstFile.unmatched << " unmatched), lstSrcFolder "
                  << form.lstSrcFolder().count() << ", lstDstFolder " << form.lstDstFolder().count()
                  << ", folders shown " << form.lstShowDirs().count() << '\n'
                  << "first (cold) check: " << first.seconds << " s\n";
        int exitCode = 0;
        if (!expectFile.empty()) {
            std::ifstream in(expectFile);
            std::stringstream text;
            text << in.rdbuf();
            const bool ok = matchesExpectation(form, pelto::bench::parseExpectation(text.str()));
            std::cout << "expectation: " << (ok ? "all lines as generated" : "MISMATCH") << '\n';
            exitCode = ok ? 0 : 1;
        }
        if (once)
            return exitCode;

        const std::vector<std::string> find{"find", src, dst, "-printf", "%T@\n"};
        const std::vector<std::string> rsync{"rsync", "-an", "--delete", src + "/", dst + "/"};
        timeCommand(find); // warm the cache for all three
        timeCommand(rsync);
        checker.run(kNoPauses);

        std::vector<double> checkTimes, findTimes, rsyncTimes, checkPerFind, rsyncPerCheck;
        for (int r = 0; r < runs; ++r) {
            // Rotate the order so that no tool always runs right after another.
            double c = 0, f = 0, s = 0;
            for (int step = 0; step < 3; ++step) {
                switch ((r + step) % 3) {
                case 0:
                    c = checker.run(kNoPauses).seconds;
                    break;
                case 1:
                    f = timeCommand(find);
                    break;
                default:
                    s = timeCommand(rsync);
                    break;
                }
            }
            checkTimes.push_back(c);
            findTimes.push_back(f);
            rsyncTimes.push_back(s);
            checkPerFind.push_back(c / f);
            rsyncPerCheck.push_back(s / c);
            std::cout << "run " << r + 1 << ": check " << c << " s, find " << f << " s, rsync " << s
                      << " s\n";
        }
        const CheckResult paced = checker.run(4);
        const long peak = statusKiB("VmHWM:");
        std::cout << "median: check " << median(checkTimes) << " s, find " << median(findTimes)
                  << " s, rsync -an " << median(rsyncTimes) << " s\n"
                  << "check with the default update period (4 s): " << paced.seconds << " s, "
                  << paced.pauses << " display pauses\n"
                  << "resident: " << rssBefore / 1024 << " MiB before the checks, peak "
                  << peak / 1024 << " MiB\n"
                  << "ratio check/find " << median(checkPerFind) << '\n'
                  << "ratio rsync/check " << median(rsyncPerCheck) << '\n';
        return exitCode;
    } catch (const std::exception& e) {
        std::cerr << "bench_compare: " << e.what() << '\n';
        return 1;
    }
}
