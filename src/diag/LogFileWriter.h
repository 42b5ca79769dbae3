#pragma once
// Appends text to the error-log file: opened for appending (created when missing), written with a
// CR LF line end in the locale's encoding, and closed again, so the file is never truncated and
// every line is on disk once logged.

#include <QString>

namespace pelto::diag {

// Throws RuntimeError when the file cannot be opened or written.
void appendLogText(const QString& path, const QString& text);

} // namespace pelto::diag
