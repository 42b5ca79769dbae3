#pragma once
// Entry points the copy routines share among themselves.

#include <QString>
#include <QStringList>

namespace pelto {

class MainForm;

namespace detail {

// CopyFiles / ResetArchiveBits for all files of one folder whose files the caller has listed
// already: sourceFolder is the folder as stored, files its file names.
bool CopyFolderFiles(const QString& sourceFolder, const QString& destinationFolder, MainForm& af,
                     const QStringList& files);
bool ResetFolderFiles(const QString& sourceFolder, const QString& destinationFolder, MainForm& af,
                      const QStringList& files);

// The files and subfolders of a folder, by their stored names, in the order the file-system
// service gives them.
struct FolderContent {
    QStringList files;
    QStringList folders;
};
FolderContent listFolder(const QString& folderPath);

} // namespace detail
} // namespace pelto
