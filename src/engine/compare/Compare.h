#pragma once
// The tree comparison: walks a source and a destination folder tree side by side and writes one
// line per mismatch into the main window's result lists, which are the only hand-over to the
// copy engine. Line formats (NBSP is the no-break space, U+00A0; names are lower-cased):
//
// clang-format off
//   lstSrcFile      "Dir: " + source folder + " to " + destination folder
//                   (NBSP "to" NBSP as the separator when either path itself contains " to ")
//                   n + ": " + name + " unmatched" | " newer" | " archive" + NBSP
//   lstDstFile      "Dir: " + destination folder
//                   n + ": " + name + " unmatched" + NBSP
//   lstSrcFolder    n + ": " + source parent + name + " unmatched" + NBSP + " to " + destination parent
//   lstDstFolder    n + ": " + destination parent + name + " unmatched" + NBSP
//   lstSrcFolder2   source parent, beside each lstSrcFolder line
//   lstDstFolder2   destination parent, beside each lstSrcFolder line
// clang-format on
//
// Running numbers count across the whole check, one counter per side. Folder parents end in the
// path separator; below the top folder they carry the lower-cased names of the folders matched on
// the way down.
//
// Names that differ only in letter case inside one folder of one side cannot be told apart by
// the case-blind lines and lookups the copy relies on: such names are left out of the
// comparison on both sides, each with a note in the error log, so that no later copy or delete
// can take one of them for the other.

#include <QString>

namespace pelto {

class Folder;
class MainForm;
class SortedList;

// The no-break space that ends the tag of every numbered line.
inline constexpr QChar kNbsp = QChar(0x00A0);

// The separator of path texts in lines, rules and messages.
QChar PathSeparator();

// Appends the path separator when the last character is not one ("" becomes the separator).
// Changes the text in place and returns it.
QString AddSlash(QString& asPath);
QString AddSlash(const QString& asPath);

// True for source folders that are never compared nor listed, with everything below them: the
// recycle bins and indexer folders directly below a drive root ("recycled", "$recycle",
// "recycler", "google desktop", compared by how the folder name begins), and any folder whose
// path contains "system volume information". A drive root is the mount point of a volume.
bool IsBuiltInSkip(const QString& asSource);

// Compares one folder pair and, with recursion on, the trees below it. bbFirstCall is true only
// for the top folder of a profile's folder pair (the exclusions of the profile then apply even
// without "subdirs"). Returns true when the walk may go on (also after a cancel or a skipped
// folder), false when a failure stopped it.
bool CheckFolders(QString asSource, QString asDest, MainForm& af, bool bbFirstCall = false);

// Adds asSource + asSrc to the "Processing Directory" list, fitted to 55 characters, selects it
// and repaints the window.
void ShowDirs(MainForm& af, const QString& asSource, const QString& asSrc = QString());

// Compares the files of one folder pair (in archive mode only the source side is read).
bool CheckFiles(const Folder& aoSrcFolder, const Folder& aoDstFolder, MainForm& af,
                bool bbFirstCall = false);

// Walks two sorted name lists side by side and writes one line per mismatch; asFileOrDir is
// "file" or "folder" (case-blind). In "folder" mode matched folders are entered when recursion is
// on. With abResetCounts it only resets the running numbers (the lists may then be null).
bool CheckLists(SortedList* aoSrcLst, SortedList* aoDstLst, const QString& asFileOrDir,
                const QString& asSource, const QString& asDest, MainForm& af,
                bool abResetCounts = false);

} // namespace pelto
