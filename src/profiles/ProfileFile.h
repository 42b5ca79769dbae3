#pragma once
// The profile file ("Pelto.INI" in the program's folder): sections of profile lines.
//
//   [Backup]
//   ; nightly
//   /home/me/Documents   /media/backup/Documents   subdirs exclude *.tmp
//
// A section header, after trimming blanks, starts with "[" and ends with "]"; a line starting
// with ";" is a comment; an empty line or one starting with a blank is ignored. Every other line
// of a section is a profile line (see ProfileLine.h).

#include "profiles/ProfileForm.h"

#include <QString>

namespace pelto {

inline constexpr auto kProfileFileName = "Pelto.INI";
// The developer's own profile file, which lives in the developer folder.
inline constexpr auto kDeveloperProfileFileName = "PELTO RG.INI";

// Sets asMyPath to the program's folder, ending in the separator.
void FixAppPath(QString& asMyPath);

// asProcess "Load": remembers asFname ("" for "Pelto.INI"; an absolute path names a file
// anywhere) and makes one menu entry per section. "Reload": removes the entries and loads the
// remembered file again. Any other text: reads that section (see ReadProfile). Returns true on
// success, also when the file does not exist at a load; false after a reported error, with
// g().gbErrorFlag set.
bool ReadINI(const QString& asProcess, ProfileForm& af, const QString& asFname = QString());

// Reads the section named exactly asSection (case-sensitive) into g().gasProfile, the folder
// record and lstProfile, validates each line's exclusions, creates a missing destination when
// the user agrees, and records the profile in the history. A missing file or section is
// reported and leaves an empty profile. Unlike ReadINI, a section may be named "Load" or
// "Reload".
bool ReadProfile(const QString& asSection, ProfileForm& af);

// The file the reader uses now.
QString profileFilePath();

// Forgets the remembered file name, as at program start (part of resetProgramState()).
void resetProfileFile();

} // namespace pelto
