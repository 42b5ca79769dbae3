#pragma once
// Where the program keeps its own files, and how this system writes folder paths.

#include <QString>
#include <functional>

namespace pelto {

// The program folder, in native form, ending in the separator: the folder that holds the
// profile file "Pelto.INI" and "Error Log.txt". It is the executable's own folder when the user
// may write there (a portable copy, or a program run from its build tree); otherwise (an
// installed program in a system folder) the per-user data folder, created on first use.
QString programFolder();

// The executable's own folder, in native form, ending in the separator.
QString executableFolder();

// The per-user data folder, in native form, ending in the separator: $XDG_DATA_HOME/Pelto when
// that variable holds an absolute path, else ~/.local/share/Pelto.
QString perUserFolder();

// The system's answer to whether the program may keep its files in `folder`: the file system
// lets the user create files there (a read-only mount says no, even to root), and the folder
// is not in /usr, which holds installed, read-only files, root or not.
bool folderWritable(const QString& folder);
// programFolder() asks this check instead of folderWritable when one is set: a test puts its
// own answer in place, since permission bits do not stop root. An empty function puts the
// system's answer back (as does resetProgramState()).
using FolderWritableCheck = std::function<bool(const QString& folder)>;
void setFolderWritableCheck(FolderWritableCheck check);

// The fixed folder the developer's own profile file lives in. Only builds with drive letters
// have one; elsewhere it is the program's folder.
QString developerFolder();

// Whether folder paths begin with a drive letter and a colon ("C:\Work") rather than with the
// separator ("/home/me/work").
bool pathsHaveDriveLetters();

// The separator between folder names in native paths.
QChar pathSeparator();

} // namespace pelto
