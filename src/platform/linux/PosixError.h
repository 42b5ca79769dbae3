#pragma once
// Turns a failed system call of the file-system service into the program's run-time error, with
// the numbers callers route on.

#include "platform/RuntimeError.h"

#include <QString>

namespace pelto {

// The error number for an errno value. `notFound` is what a missing item means at this call:
// err::FileNotFound for a file, err::PathNotFound for a folder or a missing parent.
qint32 errorNumberForErrno(int errnoValue, qint32 notFound);

// The run-time error for an errno value, described in the program's words where it has them.
RuntimeError errnoError(int errnoValue, qint32 notFound);

} // namespace pelto
