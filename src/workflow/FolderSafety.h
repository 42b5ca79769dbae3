#pragma once
// The refusals that come before anything is touched: a folder pair whose folders are the same
// folder, or one of which lies inside the other, would copy a tree into itself or delete what it
// copies. Folders are compared as the system finds them: absolute, names looked up case-blind as
// the file-system service does, symbolic links resolved, component by component; and then by
// the identity of the folders themselves, so that a tree mounted in two places (a bind mount)
// cannot hide an overlap.

#include <QString>

namespace pelto {
class FileSystem;
}

namespace pelto::workflow {

// The folder as the system sees it. The part of the path that exists is resolved (case-blind
// names to their stored names, symbolic links to their targets); the rest is kept as written.
QString resolvedFolder(FileSystem& fs, const QString& path);

// Creates a folder the user named with its missing parents, each exactly as written: a folder
// whose name differs only in letter case never stands in for one of them.
void createFolderExactly(FileSystem& fs, const QString& path);

// What is wrong with copying between the two folders, or "" when nothing is.
QString folderPairProblem(FileSystem& fs, const QString& source, const QString& destination);

} // namespace pelto::workflow
