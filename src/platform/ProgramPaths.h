#pragma once
// Where the program keeps its own files, and how this system writes folder paths.

#include <QString>

namespace pelto {

// The folder of the running program, in native form, ending in the separator.
QString programFolder();

// The fixed folder the developer's own profile file lives in. Only builds with drive letters
// have one; elsewhere it is the program's folder.
QString developerFolder();

// Whether folder paths begin with a drive letter and a colon ("C:\Work") rather than with the
// separator ("/home/me/work").
bool pathsHaveDriveLetters();

// The separator between folder names in native paths.
QChar pathSeparator();

} // namespace pelto
