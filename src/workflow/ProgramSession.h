#pragma once
// The program-wide objects a front end makes at start-up, in the order the program needs them,
// and releases in reverse: the boxes, the settings store (application "Pelto", section
// "Settings"), the display-refresh interval, the error log ("Error Log.txt" in the program's
// folder) and the file-system service. The command line and the window both start this way.

#include "platform/FileSystem.h"
#include "settings/Registry.h"

#include <QtGlobal>
#include <memory>

namespace pelto {
class Dialogs;
}

namespace pelto::workflow {

class ProgramSession {
public:
    // `dialogs` answers every box of the session; `updateFrequency` is the seconds between
    // display refreshes during long walks.
    ProgramSession(Dialogs& dialogs, qint16 updateFrequency);
    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;
    ~ProgramSession();

    Registry& registry() { return registry_; }
    FileSystem& fileSystem() { return *fs_; }

private:
    Registry registry_;
    std::unique_ptr<FileSystem> fs_;
};

} // namespace pelto::workflow
