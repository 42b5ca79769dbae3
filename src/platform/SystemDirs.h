#pragma once
// The two system folders the program asks for by name.
//
// On Linux the "Windows directory" is the program's data folder, the one that ships
// Media/Ding.wav and PeltoRev.txt: the program's own folder when the sound lies beside it (a
// portable copy; the build tree keeps only PeltoRev.txt beside the program, which does not count), <prefix>/share/pelto beside an installed program (<prefix>/bin/pelto), or the
// source tree's data folder when the program runs from its build tree. The "system directory" is
// the running system's configuration folder, /etc.
//
// Neither function fails loudly: when the folder cannot be found they return kApiCallFailed.

#include <QString>
#include <QStringList>

namespace pelto {

inline constexpr auto kApiCallFailed = "API call failed";

// The program's data folder, without a trailing separator, or "API call failed".
QString GetWindowsDir();
// The system's configuration folder, or "API call failed".
QString GetSystemDir();

// The folders GetWindowsDir tries, in order, for a program that lives in `programDir`.
QStringList dataDirCandidates(const QString& programDir);
// The first of `candidates` that is an existing folder (absolute, cleaned), or "API call failed".
QString firstExistingDir(const QStringList& candidates);
// The data folder of a program that lives in `programDir`: that folder itself when it holds
// Media/Ding.wav, else the first existing of dataDirCandidates(programDir).
QString dataDirFor(const QString& programDir);

} // namespace pelto
