#include "cli/CliRun.h"

#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "cli/Console.h"
#include "cli/Report.h"
#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/copy/Copy.h"
#include "platform/Dialogs.h"
#include "platform/FsPath.h"
#include "platform/LeftOut.h"
#include "platform/ProgramState.h"
#include "platform/TextFile.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileTables.h"
#include "workflow/CheckWorkflow.h"
#include "workflow/CopyWorkflow.h"
#include "workflow/FolderSafety.h"
#include "workflow/ProfilePairs.h"

#include <QFileInfo>

namespace pelto::cli {

using diag::LogError;
using diag::Procedure;
using diag::traceParams;
using workflow::FolderPair;
using workflow::StageResult;

namespace {

constexpr auto kModule = "PeltoCli";
const QString kCrLf = QStringLiteral("\r\n");

// The folder pair a run works on; for a profile the first line's pair stands for the pickers.
struct Prepared {
    bool ok = false;
    bool badUsage = false;
    QString usageProblem;
    QString source;
    QString destination;
};

// Logs a refusal under the program's name; the log's echo shows it on standard error.
void refuse(const QString& procedure, const QString& message) {
    LogError(QString::fromLatin1(kModule), procedure, message, false);
}

// A missing destination folder is created only when the user agrees, as with a profile. The
// folder is the one named, letter case included.
bool ensureDestination(CliSession& session, const QString& destination) {
    bool ready = false;
    Procedure proc(kModule, "Function EnsureDestination",
                   [&] { return traceParams("destination", destination); });
    const auto trap = proc.trap();
    FileSystem& fs = session.fileSystem();
    if (!trap([&] { ready = fs.FolderExistsExactly(destination); }))
        return ready;
    if (ready)
        return ready;
    refuse(QStringLiteral("EnsureDestination"),
           QStringLiteral("Destination directory not found:") + destination);
    const bool create =
        dialogs().yesNo(QStringLiteral("Destination directory not found:") + kCrLf + destination +
                            kCrLf + QStringLiteral("Would you like to create the directory?"),
                        QStringLiteral("Pelto"), BoxIcon::Critical);
    if (!create)
        return ready;
    if (!trap([&] {
            workflow::createFolderExactly(fs, destination);
            ready = fs.FolderExistsExactly(destination);
        }))
        return false;
    return ready;
}

Prepared preparePair(CliSession& session, const CliOptions& options) {
    Prepared prepared;
    Procedure proc(kModule, "Function PreparePair", [&] {
        return traceParams("source", options.source, "destination", options.destination);
    });
    const auto trap = proc.trap();
    FileSystem& fs = session.fileSystem();
    QString problem;
    bool sourceFound = false;
    const auto normalized = trap([&] {
        prepared.source = fspath::normalize(options.source);
        prepared.destination = fspath::normalize(options.destination);
        sourceFound = fs.FolderExistsExactly(prepared.source);
        if (sourceFound)
            problem = workflow::folderPairProblem(fs, prepared.source, prepared.destination);
    });
    if (!normalized)
        return prepared;
    if (!sourceFound) {
        refuse(QStringLiteral("PreparePair"),
               QStringLiteral("Source directory not found:") + prepared.source);
        return prepared;
    }
    if (!problem.isEmpty()) {
        refuse(QStringLiteral("PreparePair"), problem);
        return prepared;
    }
    prepared.ok = ensureDestination(session, prepared.destination);
    return prepared;
}

// Every pair of the profile must be safe; `pairs` holds (source, destination).
bool pairsSafe(FileSystem& fs, const QList<FolderPair>& pairs) {
    for (const FolderPair& pair : pairs) {
        if (!fs.FolderExistsExactly(pair.source))
            continue; // the profile reader reports a missing source
        const QString problem = workflow::folderPairProblem(fs, pair.source, pair.destination);
        if (!problem.isEmpty()) {
            refuse(QStringLiteral("PrepareProfile"), problem);
            return false;
        }
    }
    return true;
}

QList<FolderPair> profileTablePairs(CliForm& af) {
    QList<FolderPair> pairs;
    const int lines = static_cast<int>(af.lstProfile().count());
    for (int i = 1; i <= lines; ++i)
        pairs.append(
            {g().gasProfile.at(profile::kSource, i), g().gasProfile.at(profile::kDestination, i)});
    return pairs;
}

Prepared prepareProfile(CliSession& session, const CliOptions& options) {
    Prepared prepared;
    Procedure proc(kModule, "Function PrepareProfile", [&] {
        return traceParams("profile", options.profile, "iniFile", options.iniFile);
    });
    const auto trap = proc.trap();
    CliForm& af = session.form();
    ProgramState& state = g();

    QString iniFile;
    if (!options.iniFile.isEmpty())
        iniFile = QFileInfo(options.iniFile).absoluteFilePath();
    bool loaded = false;
    QString path;
    const auto loadedIni = trap([&] {
        loaded = ReadINI(QStringLiteral("Load"), af, iniFile);
        path = profileFilePath();
    });
    if (!loadedIni)
        return prepared;
    if (!QFileInfo(path).isFile()) {
        prepared.badUsage = true;
        prepared.usageProblem = QStringLiteral("profile file not found: ") + path;
        if (options.iniFile.isEmpty())
            prepared.usageProblem += QStringLiteral(" (put Pelto.INI beside the program, or name "
                                                    "a profile file with --ini FILE)");
        return prepared;
    }
    if (!loaded || state.gbErrorFlag)
        return prepared;

    QStringList names;
    for (int k = 1; k <= af.mnuProfile().UBound(); ++k)
        names.append(af.mnuProfile().caption(k));
    if (!names.contains(options.profile)) {
        prepared.badUsage = true;
        prepared.usageProblem =
            QStringLiteral("no profile named '") + options.profile + QStringLiteral("' in ") +
            path + QStringLiteral("; its profiles: ") + names.join(QStringLiteral(", "));
        return prepared;
    }

    QList<FolderPair> pairs;
    if (!trap([&] { pairs = workflow::profilePairs(readTextLines(path), options.profile); }))
        return prepared;
    if (!pairsSafe(session.fileSystem(), pairs))
        return prepared;

    bool read = false;
    state.gbExcludes = true;
    if (!trap([&] { read = ReadProfile(options.profile, af); }))
        return prepared;
    if (!read || state.gbErrorFlag)
        return prepared;
    // The lines as the reader took them are the ones the check walks.
    pairs = profileTablePairs(af);
    if (!pairsSafe(session.fileSystem(), pairs))
        return prepared;
    if (!pairs.isEmpty()) {
        prepared.source = pairs.first().source;
        prepared.destination = pairs.first().destination;
    }
    prepared.ok = true;
    return prepared;
}

void printLines(Console& console, const QStringList& lines) {
    for (const QString& line : lines)
        console.line(line);
}

} // namespace

RunOutcome runCli(const CliOptions& options, Console& console) {
    RunOutcome outcome;
    outcome.command = options.command;
    CliSession session(console, options);
    Procedure proc(kModule, "Function RunCli",
                   [&] { return traceParams("command", commandName(options.command)); });
    CliForm& af = session.form();
    ProgramState& state = g();

    const bool sync = options.command == Command::Sync;
    af.setOptTest(!options.production);
    af.setOptRecurse(!options.noSubdirs);
    af.setOptSync(sync);
    af.setChkArchive(options.archive);
    af.setChkResetArc(options.resetArchive);
    // Archive mode is in force only for a plain copy, as in the window.
    state.gbArchive = options.archive && !sync;

    const auto finish = [&] {
        outcome.errorsIgnored = session.boxes().errorsIgnored() > 0;
        outcome.leftOut = leftOut().total() > 0;
        if (state.gbErrorFlag)
            outcome.failed = true;
        if (outcome.cancelled)
            console.problem(QStringLiteral("Cancelled: the run stopped before its end."));
        if (outcome.failed || outcome.errorsIgnored)
            console.problem(
                QStringLiteral("The run ended with an error; the error log says why: ") +
                diag::LogFile());
        return outcome;
    };

    const Prepared prepared =
        options.usesProfile() ? prepareProfile(session, options) : preparePair(session, options);
    if (prepared.badUsage) {
        outcome.badUsage = true;
        console.problem(QStringLiteral("pelto-cli: ") + prepared.usageProblem);
        return outcome;
    }
    if (!prepared.ok) {
        outcome.failed = true;
        return finish();
    }

    const StageResult checked =
        workflow::RunCheck(af, af, af, prepared.source, prepared.destination);
    console.clearProgress();
    if (checked != StageResult::Completed) {
        outcome.failed = checked == StageResult::Failed;
        outcome.cancelled = checked == StageResult::Cancelled;
        return finish();
    }
    outcome.differences = hasDifferences(af);
    if (!options.quiet)
        printLines(console, listReport(af));
    if (options.command == Command::Check) {
        // What the check could not look at goes after the lists; a quiet run, which prints no
        // lists, names it as a problem.
        if (leftOut().total() > 0) {
            const QString line = QStringLiteral("Left out: ") + leftOutCounts(leftOut());
            if (options.quiet) {
                console.problem(line);
            } else {
                console.line(QString());
                console.line(line);
            }
        }
        return finish();
    }

    const qsizetype firstMessage = session.echo().messages().size();
    const StageResult copied = workflow::RunCopy(af, af, prepared.source, prepared.destination);
    console.clearProgress();
    if (copied != StageResult::Completed) {
        outcome.failed = copied == StageResult::Failed;
        outcome.cancelled = copied == StageResult::Cancelled;
        return finish();
    }
    if (!options.quiet) {
        console.line(QString());
        printLines(console,
                   copyReport(workflow::SummarizeCopy(
                       af, session.fileSystem(), session.echo().messages().mid(firstMessage))));
    } else if (leftOut().total() > 0) {
        // Each item was logged as it was passed over; the counts tell a quiet run's reader
        // that the backup is incomplete.
        console.problem(QStringLiteral("Skipped: ") + leftOutCounts(leftOut()));
    }
    // A destination kept as it was beside an empty source is not a mirror of it.
    if (!workflow::keptDestinations().isEmpty())
        outcome.failed = true;
    return finish();
}

} // namespace pelto::cli
