#pragma once
// The items a file loop of the copy and the archive reset serves: the lines of lstSrcFile
// (folder headers and file lines), or the files of one folder. Also remembers, per destination
// folder, the facts the skip rules ask for, so that they are worked out once per folder.

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace pelto {

class ResultList;

class FileItems {
public:
    // The lines of a lstSrcFile list.
    explicit FileItems(const ResultList& list);
    // The files of one folder, by name.
    // `twins`: lower-cased names the folder holds more than once (files and folders alike).
    FileItems(QStringList names, const QString& sourceDir, const QString& destinationDir,
              QSet<QString> twins = {});

    // True for the files of one folder, whose names are the names as stored.
    bool namesAsStored() const { return !list_; }

    // Number of items.
    qsizetype count() const;
    // Reads item i: false for a folder header (the folders change), true for a file.
    // Throws RuntimeError for a line without the data the check stores with it.
    bool read(qsizetype i);

    const QString& sourceDir() const { return sourceDir_; }
    const QString& destinationDir() const { return destinationDir_; }
    const QString& name() const { return name_; }
    const QString& lowerName() const { return lowerName_; }
    // The item has a twin whose name differs only in letter case: it is taken by its exact name.
    bool exactName() const { return exactName_; }
    QString sourcePath() const { return sourceDir_ + name_; }
    QString destinationPath() const { return destinationDir_ + name_; }
    const QString& lowerSourceDir();
    const QString& lowerDestinationDir();

    // Replaces the name by the file's own letter case.
    void setName(const QString& name) { name_ = name; }

    // The destination folder is a drive root.
    bool destinationIsDriveRoot();
    // The destination folder is the running system's configuration folder.
    bool destinationIsLiveConfig();

private:
    void folderChanged();

    const ResultList* list_ = nullptr;
    QStringList names_;
    QString sourceDir_;
    QString destinationDir_;
    QString name_;
    QString lowerName_;
    bool exactName_ = false;
    // The files of one folder: lower-cased names held by more than one entry.
    QSet<QString> twins_;
    std::optional<QString> lowerSourceDir_;
    std::optional<QString> lowerDestinationDir_;
    std::optional<bool> driveRoot_;
    std::optional<bool> liveConfig_;
};

} // namespace pelto
