#pragma once
// What one copy run remembers for the stages after it: the files and folders the copy passed
// over (skip rules, exclusions, locked or vanished files, items of another kind in the way). The archive reset leaves those alone,
// so a file that was not copied keeps its archive bit and is offered again by the next run.

#include <QSet>
#include <QString>

namespace pelto {

class CopyRunState {
public:
    void clear();

    // A source file the copy did not copy (any letter case of the path).
    void noteSkippedFile(const QString& sourcePath);
    // A source folder the copy did not enter; everything below it counts as skipped.
    void noteSkippedFolder(const QString& sourceFolder);

    bool fileSkipped(const QString& sourcePath) const;
    bool folderSkipped(const QString& sourceFolder) const;

    // A destination entry of the other kind (file, link or folder) that a synchronising copy
    // removed to put the source's item in its place, by its exact name (its twin in another
    // letter case is another entry). The delete stage, which lists it too, leaves the new item
    // there alone.
    void noteReplacedDestination(const QString& destinationPath);
    bool destinationReplaced(const QString& destinationPath) const;

private:
    // Keys are lower-cased, with one separator between components and none at the end.
    static QString key(const QString& path);
    // The folders lower-cased, the entry's own name exact.
    static QString entryKey(const QString& path);
    bool underSkippedFolder(const QString& key) const;

    QSet<QString> files_;
    QSet<QString> folders_;
    QSet<QString> replaced_;
};

// The state of the current copy run; BeginCopyRun clears it.
CopyRunState& copyRun();

} // namespace pelto
