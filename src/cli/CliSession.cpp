#include "cli/CliSession.h"

#include "cli/CliOptions.h"
#include "cli/Console.h"
#include "diag/DesignMode.h"
#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/compare/ProgramState.h"
#include "profiles/ProfileFile.h"
#include "settings/SettingsKeys.h"

namespace pelto::cli {
namespace {

constexpr auto kModule = "PeltoCli";
// Seconds between display refreshes; they cost no pause here.
constexpr qint16 kUpdateFrequency = 1;

} // namespace

CliSession::CliSession(Console& console, const CliOptions& options)
    : clock_(pelto::clock()), clockInstall_(clock_),
      echo_(diag::messageLog(), [&console](const QString& message) { console.problem(message); }),
      dialogs_(console, options.yes, options.ignoreErrors, [this] { return echo_.last(); }),
      form_(console) {
    diag::Procedure proc(kModule, "Sub CliSession", diag::noParams());
    const auto trap = proc.trap();
    ProgramState& state = g();
    trap([&] {
        setDialogs(&dialogs_);
        state.gbInDesign = diag::InDesignMode();
        registry_.setApplicationName(QString::fromLatin1(settings::kApplicationName));
        registry_.setSection(QString::fromLatin1(settings::kSettingsSection));
        state.goReg = &registry_;
        state.giUpdateFrequency = kUpdateFrequency;
        QString folder;
        FixAppPath(folder);
        diag::SetLogEnabled(true);
        diag::SetLogFile(folder + QStringLiteral("Error Log.txt"));
        state.goFSO = &fs_;
    });
}

CliSession::~CliSession() {
    ProgramState& state = g();
    state.goFSO = nullptr;
    state.goReg = nullptr;
    setDialogs(nullptr);
}

} // namespace pelto::cli
