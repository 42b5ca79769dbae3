#pragma once
// Exclusion rules of a profile: the files and folders a check and a copy leave alone.
//
// A profile line may end in an exclusion text, "exclude " followed by wildcard specifications
// separated by blanks ("*.tmp", "cache?.db", "\"my file*\"", a folder specification starting with
// the path separator such as "/temp*"), and the word subdirs to make the exclusions reach below
// the top folder. ValidateExcludes turns that text into the table g().gasExcludes:
//   slot 0   the index of the last specification as text ("" when the profile excludes nothing)
//   slot 1   "subdirs" or ""
//   slot 2.. the lower-cased specifications
// Matching is case-blind and covers the whole name: '*' stands for any run of characters, '?' for
// any one character. A file is excluded when its name matches a specification; a folder when its
// name matches a specification without the specification's first character.

#include <QString>
#include <QtGlobal>

namespace pelto {

// The most pieces between blanks an exclusion text may hold (fewer in developer mode), counted
// as written: each word of a quoted specification is one piece. The table has room for the
// specifications in slots 2 .. limit + 1.
qint32 excludeLimit();

// Builds g().gasExcludes from field 5 of profile line biNdex of g().gasProfile. Returns true on
// success and when the line has no exclusion text; after a reported error sets g().gbErrorFlag
// and returns false. With bbLogToFile the accepted text is noted in the error log.
bool ValidateExcludes(qint16 biNdex, bool bbLogToFile = false);

// Whether the exclusion table applies to the folder at hand: a profile with exclusions is chosen
// and either the table reaches into subfolders or this is the top folder of a folder pair.
bool CheckExcludeSubdir(bool bbFirstCall = false);

// Whether a file, or a subfolder, of a folder where the table applies is excluded.
bool FileExcluded(const QString& asName);
bool FolderExcluded(const QString& asName);

// Whole-name, case-blind wildcard match with '*' and '?'.
bool MatchesWildcard(const QString& asName, const QString& asPattern);

} // namespace pelto
