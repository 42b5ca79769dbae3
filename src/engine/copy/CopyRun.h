#pragma once
// What one copy run remembers for the stages after it: the files and folders the copy passed
// over (skip rules, exclusions, locked or vanished files). The archive reset leaves those alone,
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

private:
    // Keys are lower-cased, with one separator between components and none at the end.
    static QString key(const QString& path);
    bool underSkippedFolder(const QString& key) const;

    QSet<QString> files_;
    QSet<QString> folders_;
};

// The state of the current copy run; BeginCopyRun clears it.
CopyRunState& copyRun();

} // namespace pelto
