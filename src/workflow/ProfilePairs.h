#pragma once
// A first look at a profile's folder pairs, before the profile reader reads them for real: the
// reader creates a missing destination folder when the user agrees, so a folder pair must be
// found safe before that happens.

#include <QList>
#include <QString>
#include <QStringList>

namespace pelto::workflow {

struct FolderPair {
    QString source;
    QString destination;
};

// The folder pairs of section `name` in the lines of a profile file, by the reader's rules for
// sections, comments and ignored lines. Lines the reader would report as bad are passed over
// here: the reader reports them.
QList<FolderPair> profilePairs(const QStringList& fileLines, const QString& name);

} // namespace pelto::workflow
