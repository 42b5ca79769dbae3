// bench_copy: times the copy engine against `cp -a` and `rsync` on a generated tree pair, in the
// same run, and prints the ratios last.
//
//   bench_copy [--runs N] [--once full|incremental] SRC DST WORK
//
// --once runs the engine's copy of that kind once, untimed against the others (for perf).
// SRC and DST are a generated source tree and its changed destination; WORK is a scratch folder
// on the same file system. Full copy: check and copy SRC into an empty folder, against
// `cp -a SRC` and `rsync -a SRC/`. Incremental: check, copy and delete SRC onto a fresh copy of
// DST, against `rsync -a --delete`. Each run rotates the order of the tools; the scratch copies
// are made and removed, and dirty pages written out, outside the timed part. Every copy the
// engine makes is checked again afterwards and must list nothing.

#include "diag/ErrorLog.h"
#include "engine/compare/Compare.h"
#include "engine/compare/HeadlessMainForm.h"
#include "engine/copy/Copy.h"
#include "platform/ProgramState.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <spawn.h>
#include <stdexcept>
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
double run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + args[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = secondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(args[0] + " failed");
    return seconds;
}

// Empties the scratch place for one copy and writes out what earlier copies left in memory.
void prepare(const std::string& target, const std::string& copyOf = {}) {
    run({"rm", "-rf", target});
    if (!copyOf.empty())
        run({"cp", "-a", copyOf, target});
    run({"sync"});
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// One run of the engine as the copy workflow makes it: a check, then the copy (and the delete),
// with a file-system service and a window of its own, as a freshly started program has.
class Engine {
public:
    double copy(const std::string& src, const std::string& dst, bool andDelete) {
        pelto::LinuxFileSystem fs;
        pelto::HeadlessMainForm form;
        form.setOptTest(false);
        form.setOptSync(andDelete);
        g().goFSO = &fs;
        g().gbErrorFlag = false;
        g().gbCancel = false;
        // No display pauses during the measurement: the period is longer than any run.
        g().giUpdateFrequency = 32767;

        const Clock::time_point start = Clock::now();
        pelto::diag::StartTimer();
        pelto::CheckLists(nullptr, nullptr, QStringLiteral("folder"), QStringLiteral("dummy"),
                          QStringLiteral("dummy"), form, true);
        if (!pelto::CheckFolders(q(src), q(dst), form, true))
            throw std::runtime_error("the check failed");
        const Clock::time_point copyStart = Clock::now();
        pelto::BeginCopyRun();
        if (!pelto::CopyFolders(q(src), q(dst), form) || g().gbErrorFlag)
            throw std::runtime_error("the copy failed");
        const Clock::time_point deleteStart = Clock::now();
        if (andDelete && !g().gbSpaceFreed && !pelto::SyncDelete(form))
            throw std::runtime_error("the delete failed");
        const double seconds = secondsSince(start);
        lastPhases = {std::chrono::duration<double>(copyStart - start).count(),
                      std::chrono::duration<double>(deleteStart - copyStart).count(),
                      secondsSince(deleteStart)};
        lastLines = {form.lstSrcFolder().count(), form.lstSrcFile().count(),
                     form.lstDstFolder().count(), form.lstDstFile().count()};
        g().goFSO = nullptr;
        return seconds;
    }

    // Seconds of the last run's check, copy and delete, and the lines of its lists
    // (lstSrcFolder, lstSrcFile, lstDstFolder, lstDstFile).
    std::array<double, 3> lastPhases{};
    std::array<qsizetype, 4> lastLines{};

    // True when a check of the pair finds nothing to copy or delete.
    static bool mirrors(const std::string& src, const std::string& dst) {
        pelto::LinuxFileSystem fs;
        pelto::HeadlessMainForm form;
        g().goFSO = &fs;
        pelto::CheckLists(nullptr, nullptr, QStringLiteral("folder"), QStringLiteral("dummy"),
                          QStringLiteral("dummy"), form, true);
        const bool checked = pelto::CheckFolders(q(src), q(dst), form, true);
        g().goFSO = nullptr;
        const auto noFileLines = [](const pelto::ResultList& list) {
            return std::all_of(list.items().begin(), list.items().end(), [](const QString& line) {
                return line.startsWith(QLatin1String("Dir: "));
            });
        };
        return checked && form.lstSrcFolder().count() == 0 && form.lstDstFolder().count() == 0 &&
               noFileLines(form.lstSrcFile()) && noFileLines(form.lstDstFile());
    }
};

struct Measure {
    const char* name;
    std::function<double()> timed;
    std::vector<double> seconds;
};

// Runs each measure once per round, in an order that rotates from round to round.
void measure(std::vector<Measure>& measures, int rounds, const char* label) {
    for (int r = 0; r < rounds; ++r) {
        std::cout << label << " run " << r + 1 << ":";
        for (std::size_t step = 0; step < measures.size(); ++step) {
            Measure& m = measures[(std::size_t(r) + step) % measures.size()];
            m.seconds.push_back(m.timed());
        }
        for (const Measure& m : measures)
            std::cout << ' ' << m.name << ' ' << m.seconds.back() << " s";
        std::cout << '\n';
    }
}

// The median of the per-round ratios a / b.
double ratio(const Measure& a, const Measure& b) {
    std::vector<double> r;
    for (std::size_t i = 0; i < a.seconds.size(); ++i)
        r.push_back(a.seconds[i] / b.seconds[i]);
    return median(r);
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    std::string once;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--once" && i + 1 < argc)
            once = argv[++i];
        else
            paths.push_back(arg);
    }
    if (paths.size() != 3 || (!once.empty() && once != "full" && once != "incremental")) {
        std::cerr << "usage: bench_copy [--runs N] [--once full|incremental] SRC DST WORK\n";
        return 2;
    }
    const std::string src = paths[0];
    const std::string dst = paths[1];
    const std::string work = paths[2];

    // Notes about names left out go to a log of their own, not into the working folder.
    const QString log = QDir::temp().filePath(QStringLiteral("pelto-bench-copy-error-log.txt"));
    QFile::remove(log);
    pelto::diag::SetLogFile(log);
    pelto::diag::SetLogEnabled(true);

    try {
        Engine engine;
        const std::string fullEngine = work + "/full-engine";
        const std::string fullCp = work + "/full-cp";
        const std::string fullRsync = work + "/full-rsync";
        const std::string incEngine = work + "/inc-engine";
        const std::string incRsync = work + "/inc-rsync";

        std::vector<Measure> full{
            {"copy",
             [&] {
                 prepare(fullEngine);
                 QDir().mkpath(q(fullEngine));
                 run({"sync"});
                 return engine.copy(src, fullEngine, false);
             },
             {}},
            {"cp-a",
             [&] {
                 prepare(fullCp);
                 return run({"cp", "-a", src, fullCp});
             },
             {}},
            {"rsync-a",
             [&] {
                 prepare(fullRsync);
                 return run({"rsync", "-a", src + "/", fullRsync + "/"});
             },
             {}},
        };
        std::vector<Measure> incremental{
            {"copy-delete",
             [&] {
                 prepare(incEngine, dst);
                 return engine.copy(src, incEngine, true);
             },
             {}},
            {"rsync-a-delete",
             [&] {
                 prepare(incRsync, dst);
                 return run({"rsync", "-a", "--delete", src + "/", incRsync + "/"});
             },
             {}},
        };

        const auto printPhases = [&](const char* what) {
            std::cout << what << ": check " << engine.lastPhases[0] << " s, copy "
                      << engine.lastPhases[1] << " s, delete " << engine.lastPhases[2]
                      << " s; lines: lstSrcFolder " << engine.lastLines[0] << ", lstSrcFile "
                      << engine.lastLines[1] << ", lstDstFolder " << engine.lastLines[2]
                      << ", lstDstFile " << engine.lastLines[3] << '\n';
        };
        if (!once.empty()) {
            std::vector<Measure>& set = once == "full" ? full : incremental;
            std::cout << once << ": " << set[0].timed() << " s\n";
            printPhases("engine");
            return 0;
        }

        // A first round warms the caches and is not counted.
        measure(full, 1, "warm-up");
        measure(incremental, 1, "warm-up");
        for (Measure& m : full)
            m.seconds.clear();
        for (Measure& m : incremental)
            m.seconds.clear();

        // The engine's phases as its last run of each kind had them.
        measure(full, rounds, "full");
        printPhases("engine, full copy");
        measure(incremental, rounds, "incremental");
        printPhases("engine, incremental copy and delete");

        const bool fullOk = Engine::mirrors(src, fullEngine);
        const bool incOk = Engine::mirrors(src, incEngine);
        std::cout << "check after the full copy: " << (fullOk ? "nothing listed" : "DIFFERENCES")
                  << '\n'
                  << "check after the incremental copy and delete: "
                  << (incOk ? "nothing listed" : "DIFFERENCES") << '\n';
        for (const auto* set : {&full, &incremental}) {
            for (const Measure& m : *set)
                std::cout << "median " << m.name << ' ' << median(m.seconds) << " s\n";
        }
        prepare(fullEngine);
        prepare(fullCp);
        prepare(fullRsync);
        prepare(incEngine);
        prepare(incRsync);

        std::cout << "ratio copy/cp-a " << ratio(full[0], full[1]) << '\n'
                  << "ratio copy/rsync-a " << ratio(full[0], full[2]) << '\n'
                  << "ratio rsync-a-delete/copy-delete " << ratio(incremental[1], incremental[0])
                  << '\n';
        return fullOk && incOk ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "bench_copy: " << e.what() << '\n';
        return 1;
    }
}
