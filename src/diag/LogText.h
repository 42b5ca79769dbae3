#pragma once
// The texts the error log composes: the run header and the program-version line.

#include "diag/Version.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace pelto::diag {

// "Program version 2.7.40": major, minor and the last two digits of the revision.
QString programVersionLine(const VersionRecord& version);

// "Logging started 03/07/26 at 02:05 PM": month/day/two-digit year with the locale's date
// separator, 12-hour time with the locale's time separator and AM/PM designator.
QString loggingStartedLine(const QDateTime& when, const QLocale& locale);

// The two header lines as one text with CR LF between them.
QString runHeader(const QDateTime& when, const QLocale& locale, const VersionRecord& version);

} // namespace pelto::diag
