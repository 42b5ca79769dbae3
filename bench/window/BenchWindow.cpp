// bench_window: times a check of a folder tree pair in the window program against `pelto-cli
// check` on the same trees, both as whole programs (start, check, end) in interleaved rounds,
// and prints the ratio and the peak resident memory of both last.
//
//   bench_window [--runs N] --cli PELTO_CLI SRC DST
//   bench_window --window-check SRC DST
//
// The second form is the window program as the first one starts it: the main window of `pelto`
// is made and loaded as the program's start-up makes it (without the splash window, which only
// shows while the program loads), its folder pair is set, "Check mismatches" runs on its own once
// the event loop turns, and the program ends when the check has finished. The window's boxes are
// answered No (a box during the check fails the run) and the end-of-work sound stays silent.
// Both programs run under the offscreen platform with a home, settings and runtime folder of
// their own, so the user's settings are never read or written.

#include "BenchTools.h"

#include "platform/Dialogs.h"
#include "platform/SoundPlayer.h"
#include "ui/main/FrmPelto.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace bench = pelto::bench;
using Clock = std::chrono::steady_clock;

// Answers every box with the answer that changes nothing and counts the boxes.
class CountingDialogs : public pelto::Dialogs {
public:
    pelto::BoxAnswer ask(pelto::BoxButtons buttons, const QString& text, const QString&,
                         pelto::BoxIcon) override {
        ++boxes;
        std::cerr << "box: " << text.toStdString() << '\n';
        return pelto::cautiousAnswer(buttons);
    }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    int boxes = 0;
};

class SilentPlayer : public pelto::SoundPlayer {
public:
    void play(const QString&, std::function<void()> finished) override {
        QTimer::singleShot(0, std::move(finished));
    }
};

// The offscreen platform's note that it cannot pass size hints on, once per window shown, is
// left out of the benchmark's output; everything else passes.
QtMessageHandler defaultHandler = nullptr;

void dropSizeHintNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.contains(QLatin1String("propagateSizeHints")) && defaultHandler)
        defaultHandler(type, context, text);
}

// The window program's run: prints "window check S s" and the window's status line.
int windowCheck(int argc, char** argv, const QString& source, const QString& destination) {
    defaultHandler = qInstallMessageHandler(dropSizeHintNotes);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelto"));
    CountingDialogs dialogs;
    SilentPlayer sound;
    pelto::ui::FrmPelto window;
    pelto::ui::FrmPelto::StartOptions options;
    options.profileFile = QString::fromLocal8Bit(qgetenv("HOME")) + QStringLiteral("/Pelto.INI");
    options.dialogs = &dialogs;
    options.sound = &sound;
    if (!window.Form_Load(options))
        return 1;
    window.show();
    window.controller().setText(QStringLiteral("txtSource"), source);
    window.controller().setText(QStringLiteral("txtDest"), destination);
    window.showState();

    bool checked = false;
    QTimer::singleShot(0, &window, [&] {
        const Clock::time_point start = Clock::now();
        window.cmdCheck_Click();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const QString status = window.progressText();
        checked = status.startsWith(QLatin1String("Checked in")) && dialogs.boxes == 0;
        std::cout << "window check " << seconds << " s\n" << status.toStdString() << std::endl;
        // The end-of-work sound finishes first; then the window closes and the program ends.
        QTimer::singleShot(0, &window, [&] {
            window.close();
            QApplication::quit();
        });
    });
    const int status = QApplication::exec();
    return status == 0 && checked ? 0 : 1;
}

// The "window check S s" line of a window run's output; -1 when there is none.
double windowCheckSeconds(const std::string& outputFile) {
    std::ifstream in(outputFile);
    std::string line;
    while (std::getline(in, line)) {
        double seconds = 0;
        if (std::sscanf(line.c_str(), "window check %lf s", &seconds) == 1)
            return seconds;
    }
    return -1;
}

std::string makeFolder(const std::string& pattern) {
    std::string path = pattern;
    if (!mkdtemp(path.data()))
        throw std::runtime_error("cannot make " + pattern);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    bool window = false;
    std::string cli;
    std::vector<std::string> trees;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = bench::parseRounds(argv[++i]);
        else if (arg == "--cli" && i + 1 < argc)
            cli = argv[++i];
        else if (arg == "--window-check")
            window = true;
        else
            trees.push_back(arg);
    }
    if (trees.size() != 2 || (!window && cli.empty())) {
        std::cerr << "usage: bench_window [--runs N] --cli PELTO_CLI SRC DST\n"
                     "       bench_window --window-check SRC DST\n";
        return 2;
    }
    if (window)
        return windowCheck(argc, argv, QString::fromLocal8Bit(trees[0].c_str()),
                           QString::fromLocal8Bit(trees[1].c_str()));

    const std::string home = makeFolder("/tmp/pelto-bench-window.XXXXXX");
    int exitCode = 0;
    try {
        const std::string output = home + "/window-output.txt";
        bench::ChildOptions options;
        options.environment = {"QT_QPA_PLATFORM=offscreen", "HOME=" + home,
                               "XDG_CONFIG_HOME=" + home + "/config",
                               "XDG_RUNTIME_DIR=" + makeFolder(home + "/runtime.XXXXXX")};
        bench::ChildOptions windowOptions = options;
        windowOptions.output = output;
        // A check exits with 1 when it found differences, as it does on these trees.
        bench::ChildOptions cliOptions = options;
        cliOptions.okStatuses = {0, 1};

        std::vector<double> checkInWindow;
        std::vector<bench::Measure> measures{
            {"window-check",
             [&] {
                 const bench::Sample s = bench::runChild(
                     {bench::ownProgram(), "--window-check", trees[0], trees[1]}, windowOptions);
                 checkInWindow.push_back(windowCheckSeconds(output));
                 return s;
             },
             {}},
            {"cli-check",
             [&] {
                 return bench::runChild({cli, "check", trees[0], trees[1]}, cliOptions);
             },
             {}},
        };
        bench::measureInterleaved(measures, 1, "warm-up");
        for (bench::Measure& m : measures)
            m.samples.clear();
        checkInWindow.clear();
        bench::measureInterleaved(measures, runs, "window");

        std::ifstream last(output);
        std::stringstream text;
        text << last.rdbuf();
        const double windowSeconds = measures[0].medianSeconds();
        const double inWindow = bench::median(checkInWindow);
        std::cout << "last window run said:\n"
                  << text.str() << "median: window program " << windowSeconds << " s (its check "
                  << inWindow << " s, start-up and end " << windowSeconds - inWindow
                  << " s), pelto-cli check " << measures[1].medianSeconds() << " s (" << runs
                  << " rounds)\n"
                  << "ratio window-check/cli-check " << bench::medianRatio(measures[0], measures[1])
                  << '\n'
                  << "rss window-check MB " << bench::megabytes(measures[0].peakKiB()) << '\n'
                  << "rss cli-check MB " << bench::megabytes(measures[1].peakKiB()) << '\n';
    } catch (const std::exception& e) {
        std::cerr << "bench_window: " << e.what() << '\n';
        exitCode = 1;
    }
    bench::runChild({"rm", "-rf", home});
    return exitCode;
}
