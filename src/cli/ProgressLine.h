#pragma once
// The text of the progress line: what the run is doing, how long it has run, the files found on
// each side, and the folder (or list line) at hand, fitted to the terminal's width.

#include <QString>
#include <QtGlobal>

namespace pelto::cli {

struct ProgressState {
    QString stage; // "Checking", "Copying", ...
    qint64 elapsedMs = 0;
    qint32 sourceFiles = 0;
    qint32 destinationFiles = 0;
    QString item; // the folder or list line at hand
};

// "m:ss", or "h:mm:ss" from one hour on.
QString elapsedText(qint64 ms);

// "Checking 0:12 | source 1234 files | destination 1200 files | /home/me/docs". The item gives
// way first: its start is replaced by "..." so that the line fits into width - 1 columns (the
// last column stays free so that the terminal never wraps).
QString progressText(const ProgressState& state, int width);

} // namespace pelto::cli
