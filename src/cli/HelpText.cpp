#include "cli/HelpText.h"

#include "diag/Version.h"
#include "platform/ProgramPaths.h"
#include "platform/SystemDirs.h"

namespace pelto::cli {

QString helpText() {
    return QStringLiteral(
        R"help(Usage: pelto-cli check|copy|sync [OPTIONS] SRC DST
       pelto-cli check|copy|sync [OPTIONS] --profile NAME [--ini FILE]

Compares a source folder tree with a destination folder tree, as the Pelto window's
"Check mismatches" does, and with copy or sync brings the destination up to date.

Commands:
  check   list what differs: source folders and files missing at the destination or newer
          at the source, destination folders and files that have no source counterpart
  copy    check, then create the missing folders and copy the listed files
  sync    check, then copy as copy does and delete what exists only at the destination,
          so that the destination mirrors the source

Without --production nothing is changed on disk (test mode, as the window starts): copy and
sync then report what they would do.

Folders:
  SRC DST             the folder pair
  --profile NAME      every folder pair of profile NAME (a section of the profile file),
                      with its exclusions and its subdirs words; each use is recorded in the
                      profile history, and a completed copy in production mode counts as a
                      use ("TimesUsed") as in the window
  --ini FILE          the profile file (default: Pelto.INI in the program folder)

Options:
  --production        really copy and delete (production mode)
  --no-subdirs        compare only the two top folders, not their subfolders (a profile says
                      this per line instead)
  --archive           only source files whose archive attribute is set (check and copy)
  --reset-archive     with copy --archive: clear the archive attribute of the copied files
                      afterwards
  --quiet             print only problems: no lists and no summary; the run header and
                      the notes of what a profile's exclusions leave alone go to the
                      error log only, so a run where all is well prints nothing
  --yes               answer Yes to the program's questions: create a missing destination
                      folder (also in test mode, as the window does when you agree); during
                      sync on a full destination disk, delete what exists only at the
                      destination first to free space; during a production sync, empty
                      the destination of a source folder that is empty
  --on-error=ignore   answer Ignore to unexpected errors and go on (default: abort, which
                      ends the run)
  --on-error=abort    the default
  -h, --help          show this text
  --version           show the program's version, its program folder and its data folder

Questions cannot be asked on the command line: they and all notices go to standard error with
the answer given; without --yes every Yes/No question is answered No.

Output:
  Standard output gets the four result lists, each under the label the window shows above
  it, in the order source folders, destination folders, source files, destination files,
  with the lines exactly as the window lists them (each numbered line ends in a no-break
  space). For copy and sync, a summary of what was done (or, in test mode, would be done)
  and the items the copy skipped follows, counted by reason on its "Skipped:" line, such as
  "Skipped: 2 (locked or unreadable 1, vanished since the check 1)"; after a check, a
  "Left out:" line counts what it could not compare. A source file that vanished between
  the check and its copy is skipped with "Source file vanished, skipped: PATH", whatever
  --on-error says. Standard error gets the lines of the error log as they are logged, the
  questions with their answers, and, when it is a terminal, a progress line (folder at
  hand, files found per side, elapsed time).

Safety: a source inside the destination or the reverse, identical folders and a missing
source are refused before anything is touched; folders are compared by device and inode, so
bind mounts and links cannot hide an overlap. A missing destination folder is refused
unless --yes. The two folders you name (and those of a profile line) are taken exactly as
written, letter case included: a folder whose name differs only in letter case never stands
in for them; names below them are matched regardless of letter case. When a production sync
finds a source folder empty and its destination not (an unmounted or emptied source looks
so), it asks before deleting anything there: without --yes that destination is kept as it
is, the other folder pairs are synced, and the run ends with status 2. A production copy or
sync ends with one sync of each destination file system to its disk before it reports
success; a failure there fails the run. Ctrl+C (or SIGTERM) stops the run within about a
second, as the window's Cancel does (the delete stage of sync, once begun, runs to its end);
a second one ends the program at once.

Exit status:
  0  check: nothing differs; copy and sync: everything was done
  1  check: differences were found (also when items were left out besides: a copy is what
     differences call for, and that copy then ends with 4)
  2  the run ended with an error, was cancelled, or an unexpected error was ignored; the
     error log says why
  3  bad usage
  4  the run finished, but items were skipped or left out: files locked or unreadable,
     source files that vanished since the check, names the destination cannot hold,
     fifos, sockets and device files, and other items the error log names as skipped;
     the destination is not a whole copy of the source

Files:
  Error Log.txt       the error log, in the program folder, shared with the window
  Pelto.INI           the profile file, in the program folder
  ~/.config/Pelto.ini the settings store with the profile history (XDG_CONFIG_HOME)
The program folder is the folder of pelto-cli when you may write there, else
~/.local/share/Pelto (XDG_DATA_HOME); --version names it.

The window's other options (sound, automatic copy, screen updates) do not apply: the command
line never pauses for display refreshes (use nice to yield to other programs), never plays a
sound and copies only when told to.
)help");
}

QString versionText() {
    return QStringLiteral("pelto-cli %1.%2.%3\nProgram folder: %4\nData folder: %5")
        .arg(kVersion.major)
        .arg(kVersion.minor)
        .arg(kVersion.revision)
        .arg(programFolder(), GetWindowsDir());
}

QString usageHint() {
    return QStringLiteral("Run 'pelto-cli --help' for the commands and options.");
}

} // namespace pelto::cli
