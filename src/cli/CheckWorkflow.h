#pragma once
// The check as the window's "&Check mismatches" runs it, without the window: clears the result
// lists and the message log, resets the running numbers, then compares every line of the chosen
// profile (its exclusions validated and its subfolder word in force per line) or the one folder
// pair. Buttons, tabs, scroll extents, the sound and the automatic copy belong to the window.

#include <QString>

namespace pelto::cli {

class CliForm;

enum class StageResult { Completed, Cancelled, Failed };

// With a profile chosen (g().gbExcludes) the profile's lines are compared and the folders given
// here are not used.
StageResult RunCheck(CliForm& af, const QString& asSource, const QString& asDest);

} // namespace pelto::cli
