#include "workflow/ProgramSession.h"

#include "diag/DesignMode.h"
#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "platform/Dialogs.h"
#include "platform/ProgramState.h"
#include "platform/SystemFileSystem.h"
#include "profiles/ProfileFile.h"
#include "settings/SettingsKeys.h"

namespace pelto::workflow {

ProgramSession::ProgramSession(Dialogs& dialogs, qint16 updateFrequency)
    : fs_(makeSystemFileSystem()) {
    diag::Procedure proc("Workflow", "Sub ProgramSession",
                         [&] { return diag::traceParams("updateFrequency", updateFrequency); });
    const auto trap = proc.trap();
    ProgramState& state = g();
    trap([&] {
        setDialogs(&dialogs);
        state.gbInDesign = diag::InDesignMode();
        registry_.setApplicationName(QString::fromLatin1(settings::kApplicationName));
        registry_.setSection(QString::fromLatin1(settings::kSettingsSection));
        state.goReg = &registry_;
        state.giUpdateFrequency = updateFrequency;
        QString folder;
        FixAppPath(folder);
        diag::SetLogEnabled(true);
        diag::SetLogFile(folder + QStringLiteral("Error Log.txt"));
        state.goFSO = fs_.get();
    });
}

ProgramSession::~ProgramSession() {
    ProgramState& state = g();
    state.goFSO = nullptr;
    state.goReg = nullptr;
    setDialogs(nullptr);
}

} // namespace pelto::workflow
