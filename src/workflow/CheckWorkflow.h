#pragma once
// The check as the window's "&Check mismatches" runs it: clears the result lists and the message
// log, resets the running numbers, then compares every line of the chosen profile (its
// exclusions validated and its subfolder word in force per line) or the one folder pair. The
// window's own part (buttons, tabs, scroll extents, the sound, the automatic copy) stays with
// the window.

#include "workflow/Stage.h"

#include <QString>

namespace pelto {
class MainForm;
class ProfileForm;
} // namespace pelto

namespace pelto::workflow {

// With a profile chosen (g().gbExcludes) the profile's lines, listed in `profiles`, are compared
// and the folders given here are not used.
StageResult RunCheck(MainForm& af, ProfileForm& profiles, StageHook& stages,
                     const QString& asSource, const QString& asDest);

} // namespace pelto::workflow
