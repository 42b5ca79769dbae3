#pragma once
// One line of a profile: a folder pair, optionally the word subdirs, optionally the word exclude
// followed by exclusion specifications. Tabs count as blanks.
//
// Two path forms exist, and a build reads the one of its system:
//   separator form     /home/me/Documents   /media/backup/Documents   subdirs exclude *.tmp
//     The source starts with "/" in column 1; the destination starts at the first "/" that
//     follows a blank; a trailing "/" is dropped from both paths except from the root "/".
//   drive-letter form  C:\Work   E:   subdirs exclude *.tmp
//     The source starts with a drive letter (its colon in column 2); the destination starts at
//     the drive letter of the next colon; a destination given as a drive alone ("E:") means the
//     source's path on that drive; a trailing "\" is dropped except from a drive root ("E:\").
// Paths may contain blanks. The word subdirs (any case) after the destination switches subfolder
// comparison on. The exclusion text runs from the word exclude (any case, after a blank) to the
// end of the line; both words are looked for only after the start of the destination, so folder
// names that contain them keep working.

#include <QString>

namespace pelto {

enum class PathSyntax { Separator, DriveLetter };

// The form profile lines take on this system.
PathSyntax nativePathSyntax();

enum class ProfileLineError {
    None,
    Column,        // the source does not start where it must
    NoDestination, // no destination path follows the source
};

struct ProfileLineParts {
    ProfileLineError error = ProfileLineError::None;
    QString line;   // the whole line, tabs turned into blanks
    QString source; // set unless error
    bool subdirs = false;
    QString destination; // set unless error
    QString excludes;    // "exclude ..." as written, trimmed; "" when absent
};

ProfileLineParts parseProfileLine(const QString& rawLine, PathSyntax syntax);

// Whether a line starts the way a profile line must (the column rule of the syntax).
bool startsLikeProfileLine(const QString& rawLine, PathSyntax syntax);

// "Expected / in column 1" or "Expected : in column 2".
QString columnErrorText(PathSyntax syntax);

// The subdirs column of the profile table and the profile list: always 12 characters.
QString subdirsColumn(bool subdirs);

// A path as the profile list shows it, always 20 characters: shorter paths padded with blanks,
// longer ones as their first 3 characters, "..." and their last 14.
QString displayPath(const QString& path);

// The text without leading and trailing blanks (only blanks; tabs and other characters stay).
QString trimBlanks(const QString& text);

} // namespace pelto
