#pragma once
// The system-information program the About window starts: the first of a few common ones found
// on the search path.

#include <QString>
#include <QStringList>

namespace pelto {

// The programs looked for, in order of preference.
QStringList systemInfoProgramNames();

// The full path of the first system-information program found in `folders` (the PATH when
// empty); "" when none is installed.
QString systemInfoProgram(const QStringList& folders = {});

// Starts `program` on its own, not waiting for it; false when it could not be started.
bool startProgram(const QString& program);

} // namespace pelto
