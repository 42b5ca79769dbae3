// bench_copy: times Pelto's copy against `cp -a` and `rsync` on a generated tree pair, in the
// same run, and prints the goal lines last: the ratios and the peak resident memory per tool.
//
//   bench_copy [--runs N] --cli PELTO_CLI SRC DST WORK
//   bench_copy --once full|incremental SRC DST WORK
//
// SRC and DST are a generated source tree and its changed destination; WORK is a scratch folder
// on the same file system. Full copy: `pelto-cli copy --production SRC` into an empty folder,
// against `cp -a SRC` and `rsync -a SRC/`. Incremental: `pelto-cli sync --production` of SRC onto
// a fresh copy of DST, against `rsync -a --delete`. Every side includes its durability step:
// Pelto ends a production copy with a sync of the destination's file system, and each other tool
// is followed by `sync -f` of the same file system, timed with it. Each round rotates the order of
// the tools; the scratch copies are made and removed, and dirty pages written out, outside the
// timed part. Pelto runs with a home and settings folder of its own. Every copy Pelto makes is
// checked again afterwards (`pelto-cli check`) and must list nothing.
//
// --once runs the engine's copy of that kind once inside this program, with the time of its
// check, copy, delete and final sync (for perf and strace).

#include "BenchTools.h"

#include "diag/ErrorLog.h"
#include "engine/compare/Compare.h"
#include "engine/compare/HeadlessMainForm.h"
#include "engine/copy/Copy.h"
#include "platform/ProgramState.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <QFile>
#include <array>
#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using pelto::g;
namespace bench = pelto::bench;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Empties the scratch place for one copy and writes out what earlier copies left in memory.
void prepare(const std::string& target, const std::string& copyOf = {}) {
    bench::runChild({"rm", "-rf", target});
    if (!copyOf.empty())
        bench::runChild({"cp", "-a", copyOf, target});
    bench::runChild({"sync"});
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// One run of the engine as the copy workflow makes it: a check, then the copy (and the delete)
// and the sync of the destination's file system, with a file-system service and a window of its
// own, as a freshly started program has.
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
        // The durability step a production copy ends with.
        const Clock::time_point syncStart = Clock::now();
        fs.SyncFileSystem(q(dst));
        const double seconds = secondsSince(start);
        lastPhases = {std::chrono::duration<double>(copyStart - start).count(),
                      std::chrono::duration<double>(deleteStart - copyStart).count(),
                      std::chrono::duration<double>(syncStart - deleteStart).count(),
                      secondsSince(syncStart)};
        lastLines = {form.lstSrcFolder().count(), form.lstSrcFile().count(),
                     form.lstDstFolder().count(), form.lstDstFile().count()};
        g().goFSO = nullptr;
        return seconds;
    }

    // Seconds of the last run's check, copy, delete and sync, and the lines of its lists
    // (lstSrcFolder, lstSrcFile, lstDstFolder, lstDstFile).
    std::array<double, 4> lastPhases{};
    std::array<qsizetype, 4> lastLines{};
};

} // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    std::string once;
    std::string cli;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            rounds = bench::parseRounds(argv[++i]);
        else if (arg == "--once" && i + 1 < argc)
            once = argv[++i];
        else if (arg == "--cli" && i + 1 < argc)
            cli = argv[++i];
        else
            paths.push_back(arg);
    }
    if (paths.size() != 3 || (once.empty() && cli.empty()) ||
        (!once.empty() && once != "full" && once != "incremental")) {
        std::cerr << "usage: bench_copy [--runs N] --cli PELTO_CLI SRC DST WORK\n"
                     "       bench_copy --once full|incremental SRC DST WORK\n";
        return 2;
    }
    const std::string src = paths[0];
    const std::string dst = paths[1];
    const std::string work = paths[2];
    const std::string fullEngine = work + "/full-engine";
    const std::string fullCp = work + "/full-cp";
    const std::string fullRsync = work + "/full-rsync";
    const std::string incEngine = work + "/inc-engine";
    const std::string incRsync = work + "/inc-rsync";

    try {
        if (!once.empty()) {
            // Notes about names left out go to a log of their own, not into the working folder.
            const QString log =
                QDir::temp().filePath(QStringLiteral("pelto-bench-copy-error-log.txt"));
            QFile::remove(log);
            pelto::diag::SetLogFile(log);
            pelto::diag::SetLogEnabled(true);
            const bool full = once == "full";
            const std::string target = full ? fullEngine : incEngine;
            prepare(target, full ? std::string() : dst);
            if (full)
                QDir().mkpath(q(target));
            Engine engine;
            std::cout << once << ": " << engine.copy(src, target, !full) << " s: check "
                      << engine.lastPhases[0] << " s, copy " << engine.lastPhases[1]
                      << " s, delete " << engine.lastPhases[2] << " s, sync "
                      << engine.lastPhases[3] << " s; lines: lstSrcFolder " << engine.lastLines[0]
                      << ", lstSrcFile " << engine.lastLines[1] << ", lstDstFolder "
                      << engine.lastLines[2] << ", lstDstFile " << engine.lastLines[3] << '\n';
            prepare(target);
            return 0;
        }

        // Pelto's settings and runtime folders, away from the user's.
        const std::string home = work + "/home";
        QDir().mkpath(q(home + "/runtime"));
        QFile::setPermissions(q(home + "/runtime"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
        bench::ChildOptions pelto;
        pelto.environment = {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config",
                             "XDG_RUNTIME_DIR=" + home + "/runtime"};
        const auto thenSync = [](std::vector<std::string> tool, const std::string& target) {
            return bench::runChildren({std::move(tool), {"sync", "-f", target}});
        };

        std::vector<bench::Measure> full{
            {"copy",
             [&] {
                 prepare(fullEngine);
                 QDir().mkpath(q(fullEngine));
                 bench::runChild({"sync"});
                 return bench::runChild({cli, "copy", "--production", src, fullEngine}, pelto);
             },
             {}},
            {"cp-a",
             [&] {
                 prepare(fullCp);
                 return thenSync({"cp", "-a", src, fullCp}, fullCp);
             },
             {}},
            {"rsync-a",
             [&] {
                 prepare(fullRsync);
                 return thenSync({"rsync", "-a", src + "/", fullRsync + "/"}, fullRsync);
             },
             {}},
        };
        std::vector<bench::Measure> incremental{
            {"copy-delete",
             [&] {
                 prepare(incEngine, dst);
                 return bench::runChild({cli, "sync", "--production", src, incEngine}, pelto);
             },
             {}},
            {"rsync-a-delete",
             [&] {
                 prepare(incRsync, dst);
                 return thenSync({"rsync", "-a", "--delete", src + "/", incRsync + "/"}, incRsync);
             },
             {}},
        };

        // A first round warms the caches and is not counted.
        bench::measureInterleaved(full, 1, "warm-up");
        bench::measureInterleaved(incremental, 1, "warm-up");
        for (auto* set : {&full, &incremental})
            for (bench::Measure& m : *set)
                m.samples.clear();
        bench::measureInterleaved(full, rounds, "full");
        bench::measureInterleaved(incremental, rounds, "incremental");

        // A check of each copy Pelto made finds nothing: it ends with status 0.
        const auto mirrors = [&](const std::string& target) {
            try {
                bench::runChild({cli, "check", src, target}, pelto);
                return true;
            } catch (const std::runtime_error&) {
                return false;
            }
        };
        const bool fullOk = mirrors(fullEngine);
        const bool incOk = mirrors(incEngine);
        std::cout << "check after the full copy: " << (fullOk ? "nothing listed" : "DIFFERENCES")
                  << '\n'
                  << "check after the incremental copy and delete: "
                  << (incOk ? "nothing listed" : "DIFFERENCES") << '\n';
        for (const std::string& target : {fullEngine, fullCp, fullRsync, incEngine, incRsync})
            prepare(target);

        const auto mb = [](long kib) { return bench::megabytes(kib); };
        for (const auto* set : {&full, &incremental})
            for (const bench::Measure& m : *set)
                std::cout << "median " << m.name << ' ' << m.medianSeconds() << " s, peak resident "
                          << mb(m.peakKiB()) << " MB\n";
        std::cout << "ratio copy/cp-a " << bench::medianRatio(full[0], full[1]) << '\n'
                  << "ratio copy/rsync-a " << bench::medianRatio(full[0], full[2]) << '\n'
                  << "ratio rsync-a-delete/copy-delete "
                  << bench::medianRatio(incremental[1], incremental[0]) << '\n'
                  << "rss copy MB " << mb(full[0].peakKiB()) << '\n'
                  << "rss copy-delete MB " << mb(incremental[0].peakKiB()) << '\n';
        return fullOk && incOk ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "bench_copy: " << e.what() << '\n';
        return 1;
    }
}
