#pragma once
// The command line of pelto-cli: a command (check, copy or sync), a folder pair or a profile,
// and the options that stand for the window's option controls.

#include <QString>
#include <QStringList>

namespace pelto::cli {

enum class Command { Check, Copy, Sync };

struct CliOptions {
    Command command = Command::Check;
    // The folder pair, as typed; empty when a profile is named.
    QString source;
    QString destination;
    // The profile (a section of the profile file) and the profile file; both empty for a pair.
    QString profile;
    QString iniFile;
    bool production = false;   // without it test mode: nothing is changed on disk
    bool noSubdirs = false;    // compare only the top folders
    bool archive = false;      // only source files whose archive attribute is set
    bool resetArchive = false; // clear the archive attribute of the copied files afterwards
    bool quiet = false;        // print only problems
    bool yes = false;          // answer Yes to the program's questions
    bool ignoreErrors = false; // answer Ignore to unexpected errors instead of Abort

    bool usesProfile() const { return !profile.isEmpty(); }
};

struct ParseResult {
    enum class Kind { Run, Help, Version, Error };
    Kind kind = Kind::Error;
    CliOptions options;
    // What is wrong with the arguments (Kind::Error only).
    QString error;
};

// Parses the arguments that follow the program name.
ParseResult parseArguments(const QStringList& arguments);

// The command's name as typed ("check", "copy", "sync").
QString commandName(Command command);

} // namespace pelto::cli
