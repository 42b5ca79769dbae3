#pragma once
// Entry points the copy routines share among themselves.

#include <QSet>
#include <QString>
#include <QStringList>

namespace pelto {

class MainForm;

namespace detail {

// CopyFiles / ResetArchiveBits for all files of one folder whose files the caller has listed
// already: sourceFolder is the folder as stored, files its file names.
struct FolderContent;
bool CopyFolderFiles(const QString& sourceFolder, const QString& destinationFolder, MainForm& af,
                     const FolderContent& content);
bool ResetFolderFiles(const QString& sourceFolder, const QString& destinationFolder, MainForm& af,
                      const QStringList& files);

// The files and subfolders of a folder, by their stored names, in the order the file-system
// service gives them.
struct FolderContent {
    QStringList files;
    QStringList folders;
    // Lower-cased names held by more than one entry, files and folders alike.
    QSet<QString> twins;
};
FolderContent listFolder(const QString& folderPath);

} // namespace detail
} // namespace pelto
