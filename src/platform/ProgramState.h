#pragma once
// The program-wide state every layer shares, under the names the program uses for it, and the
// one reset that puts all of it back as at program start.
//
// The named variables live in one instance, `g()`. State that belongs to one file (the error
// log's run, the trace's counters, the installed clock, ...) stays private to that file and
// registers how to put it back with a StateReset beside it, so resetProgramState() reaches it
// without knowing it. Test programs call resetProgramState() around every test, so no fixture
// can forget it.

#include "platform/TextTable.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace pelto {

class FileSystem;
class Registry;

struct ProgramState {
    Registry* goReg = nullptr;    // the settings store, made at start-up
    FileSystem* goFSO = nullptr;  // the file-system service, made at start-up
    bool gbInDesign = false;      // developer mode
    qint16 giUpdateFrequency = 4; // seconds between display refreshes during long walks
    bool gbCancel = false;        // the user asked to cancel the running action
    bool gbArchive = false;       // archive-bit mode in force
    bool gbErrorFlag = false;     // a handled error stopped the work
    bool gbSpaceFreed = false;    // the user agreed to free space after a full disk
    QString gsAction;             // "check", the copy actions, or "" when idle
    qint32 glSrcFiles = 0;        // files listed on each side during a check
    qint32 glDstFiles = 0;
    QStringList gasExcludes = QStringList(102); // exclusion table, slots 0..101
    bool gbExcludes = false;                    // a profile is chosen and its exclusions apply
    // The chosen profile's lines: fields 1..5 by line 1..n (whole line, source, subdirs column,
    // destination, exclusion text); empty until a profile is read.
    TextTable gasProfile;
    qint16 giProfileLine = 0;
    qint16 giProfileCount = 0;
    qint16 giProfileEntry = 0;
    // Folders created during a profile run: entry 0 field 2 holds the count, entry k holds the
    // folder (field 1) and its profile line number (field 2).
    TextTable gasFolderProfile;
};

ProgramState& g();

// Puts g() and every registered piece of file-private state back as at program start.
void resetProgramState();

// Registers, for the lifetime of the program, how to put one piece of file-private state back.
// Define one at namespace scope beside the state it resets:
//   const StateReset kResetTrace{[] { traceState() = TraceState{}; }};
class StateReset {
public:
    explicit StateReset(void (*reset)());
    StateReset(const StateReset&) = delete;
    StateReset& operator=(const StateReset&) = delete;
};

} // namespace pelto
