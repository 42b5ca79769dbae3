// pelto-cli: the check and the copy of Pelto from the command line.

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/HelpText.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    using namespace pelto::cli;
    QCoreApplication app(argc, argv);
    const ParseResult parsed = parseArguments(QCoreApplication::arguments().mid(1));

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
