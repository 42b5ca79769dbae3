// bench_compare: times the check of a folder tree pair against `find` and `rsync -an` on the
// same trees (warm cache, interleaved rounds, medians) and prints the goal lines last: the ratios
// and the peak resident memory of a check in a process of its own.
//
//   bench_compare [--runs N] [--expect FILE] [--label NAME] [--once] SRC DST
//
// --expect compares the lines found with what the tree generator wrote down; --label names the
// pair in the memory line ("rss check NAME MB"); --once runs one check only (for strace or perf,
// and for the memory measurement).

#include "BenchTools.h"
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
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using pelto::g;
namespace bench = pelto::bench;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
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
    std::string label = "pair";
    std::vector<std::string> trees;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = bench::parseRounds(argv[++i]);
        else if (arg == "--expect" && i + 1 < argc)
            expectFile = argv[++i];
        else if (arg == "--label" && i + 1 < argc)
            label = argv[++i];
        else if (arg == "--once")
            once = true;
        else
            trees.push_back(arg);
    }
    if (trees.size() != 2) {
        std::cerr << "usage: bench_compare [--runs N] [--expect FILE] [--label NAME] [--once] SRC "
                     "DST\n";
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
                  << "first check: " << first.seconds << " s\n";
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
        std::vector<bench::Measure> measures{
            {"check",
             [&] {
                 return bench::Sample{checker.run(kNoPauses).seconds, -1};
             },
             {}},
            {"find", [&] { return bench::runChild(find); }, {}},
            {"rsync", [&] { return bench::runChild(rsync); }, {}},
        };
        // One uncounted round warms the cache for all three.
        bench::measureInterleaved(measures, 1, "warm-up");
        for (bench::Measure& m : measures)
            m.samples.clear();
        bench::measureInterleaved(measures, runs, "check");

        const CheckResult paced = checker.run(4);
        // The check's own memory: one check in a fresh process, as a user's run makes it.
        const long checkPeak = bench::runChild({bench::ownProgram(), "--once", src, dst}).peakKiB;
        const auto mb = [](long kib) { return bench::megabytes(kib); };
        std::cout << "median: check " << measures[0].medianSeconds() << " s, find "
                  << measures[1].medianSeconds() << " s, rsync -an " << measures[2].medianSeconds()
                  << " s (" << runs << " rounds)\n"
                  << "check with the default update period (4 s): " << paced.seconds << " s, "
                  << paced.pauses << " display pauses\n"
                  << "peak resident, MB: check " << mb(checkPeak) << " (one check in a process of "
                  << "its own), find " << mb(measures[1].peakKiB()) << ", rsync -an "
                  << mb(measures[2].peakKiB()) << " (its largest process); this process "
                  << mb(statusKiB("VmRSS:")) << " now, " << mb(rssBefore)
                  << " before the checks, peak " << mb(statusKiB("VmHWM:")) << '\n'
                  << "ratio check/find " << bench::medianRatio(measures[0], measures[1]) << '\n'
                  << "ratio rsync/check " << bench::medianRatio(measures[2], measures[0]) << '\n'
                  << "rss check " << label << " MB " << mb(checkPeak) << '\n';
        return exitCode;
    } catch (const std::exception& e) {
        std::cerr << "bench_compare: " << e.what() << '\n';
        return 1;
    }
}
