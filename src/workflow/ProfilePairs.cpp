#include "workflow/ProfilePairs.h"

#include "profiles/ProfileLine.h"

namespace pelto::workflow {
namespace {

bool isHeader(const QString& trimmed) {
    return trimmed.startsWith(u'[') && trimmed.endsWith(u']');
}

} // namespace

QList<FolderPair> profilePairs(const QStringList& fileLines, const QString& name) {
    const QString header = QLatin1Char('[') + name + QLatin1Char(']');
    qsizetype at = 0;
    while (at < fileLines.size() && trimBlanks(fileLines[at]) != header)
        ++at;

    QList<FolderPair> pairs;
    for (++at; at < fileLines.size(); ++at) {
        const QString& line = fileLines[at];
        if (line.startsWith(u';'))
            continue;
        if (isHeader(trimBlanks(line)))
            break;
        if (line.isEmpty() || line.startsWith(u' '))
            continue;
        const ProfileLineParts parts = parseProfileLine(line, nativePathSyntax());
        if (parts.error == ProfileLineError::None)
            pairs.append({parts.source, parts.destination});
    }
    return pairs;
}

} // namespace pelto::workflow
