// pelto-cli: the check and the copy of Pelto from the command line.

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/HelpText.h"
#include "platform/FsPath.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    using namespace pelto::cli;
    QCoreApplication app(argc, argv);
    // Arguments are decoded like names read from disk, so that a folder whose name is not valid
    // UTF-8 is still found byte for byte.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(pelto::fspath::fromNative(argv[i]));
    const ParseResult parsed = parseArguments(arguments);

    switch (parsed.kind) {
    case ParseResult::Kind::Help: {
        Console console(stdout, stderr, false);
        console.line(helpText().trimmed());
        return kExitOk;
    }
    case ParseResult::Kind::Version: {
        Console console(stdout, stderr, false);
        console.line(versionText());
        return kExitOk;
    }
    case ParseResult::Kind::Error: {
        Console console(stdout, stderr, false);
        console.problem(QStringLiteral("pelto-cli: ") + parsed.error + QLatin1Char('\n') +
                        usageHint());
        return kExitUsage;
    }
    case ParseResult::Kind::Run:
        break;
    }

    Console console(stdout, stderr, !parsed.options.quiet && Console::stderrIsTerminal());
    return exitStatusFor(runCli(parsed.options, console));
}
