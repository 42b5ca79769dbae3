#include "engine/copy/CopyLines.h"

#include "engine/compare/Compare.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"
#include "platform/RuntimeError.h"

#include <QStringBuilder>

namespace pelto::copylines {

namespace {

const QLatin1StringView kHeader("Dir: ");
const QLatin1StringView kNumberEnd(": ");

[[noreturn]] void malformed() {
    throw RuntimeError(kInvalidCall, QStringLiteral("Invalid procedure call or argument"));
}

QString unmatchedTag() {
    return QLatin1StringView(" unmatched") % kNbsp;
}

// Where the text after "n: " starts.
qsizetype textStart(const QString& line) {
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0 || colon + 2 > line.size())
        malformed();
    return colon + 2;
}

} // namespace

bool isHeader(const QString& line) {
    return line.startsWith(kHeader);
}

SourceHeader sourceHeader(const QString& line) {
    const QString nbspTo = kNbsp % QLatin1StringView("to") % kNbsp;
    qsizetype at = line.indexOf(nbspTo, kHeader.size());
    if (at < 0)
        at = line.indexOf(QLatin1StringView(" to "), kHeader.size());
    if (at < 0)
        malformed();
    return {withSeparator(line.mid(kHeader.size(), at - kHeader.size())),
            withSeparator(line.mid(at + 4))};
}

QString destinationHeader(const QString& line) {
    return withSeparator(line.mid(kHeader.size()));
}

QString fileName(const QString& line) {
    const qsizetype start = textStart(line);
    // The tag ends the line; a name may itself hold a tag's text, so the tag is taken from the end.
    for (const QLatin1StringView tag :
         {QLatin1StringView(" unmatched"), QLatin1StringView(" newer"),
          QLatin1StringView(" archive")}) {
        const QString suffix = tag % kNbsp;
        if (line.endsWith(suffix) && line.size() - suffix.size() >= start)
            return line.mid(start, line.size() - suffix.size() - start);
    }
    malformed();
}

SourceFolderLine sourceFolderLine(const QString& line) {
    const qsizetype start = textStart(line);
    const QString tagTo = unmatchedTag() % QLatin1StringView(" to ");
    const qsizetype at = line.indexOf(tagTo, start);
    if (at < 0)
        malformed();
    return {line.mid(start, at - start), line.mid(at + tagTo.size())};
}

QString subfolderLine(const QString& sourceSubfolder, const QString& destinationFolder) {
    return QLatin1StringView("99: ") % sourceSubfolder % unmatchedTag() %
           QLatin1StringView(" to ") % withSeparator(destinationFolder);
}

QString destinationFolderOf(const SourceFolderLine& line, const QString& sourceRoot,
                            const QString& destinationRoot) {
    const QString root = withSeparator(sourceRoot);
    if (line.sourceFolder.startsWith(root, Qt::CaseInsensitive) &&
        line.sourceFolder.size() > root.size())
        return joinPath(destinationRoot, line.sourceFolder.mid(root.size()));
    return joinPath(line.destinationParent, fspath::nameOf(line.sourceFolder));
}

QString destinationFolder(const QString& line) {
    const qsizetype start = textStart(line);
    const QString tag = unmatchedTag();
    if (!line.endsWith(tag) || line.size() - tag.size() < start)
        malformed();
    return line.mid(start, line.size() - tag.size() - start);
}

QString separator() {
    return QString(PathSeparator());
}

QString joinPath(const QString& dir, const QString& name) {
    return dir.endsWith(PathSeparator()) ? dir + name : dir % PathSeparator() % name;
}

QString withSeparator(const QString& path) {
    return path.endsWith(PathSeparator()) ? path : path + PathSeparator();
}

QString nativeRule(QLatin1StringView rule) {
    QString text(rule);
    text.replace(QLatin1Char('\\'), PathSeparator());
    return text;
}

bool startsBelowDriveRoot(const QString& path, std::initializer_list<QLatin1StringView> names) {
    const QString lower = path.toLower();
    const QChar sep = PathSeparator();
    // Lower-casing keeps positions for nearly every text; where it does not, ask with the
    // lower-cased text.
    const QString& original = lower.size() == path.size() ? path : lower;
    for (const QLatin1StringView name : names) {
        const QString component = sep + name;
        for (qsizetype at = lower.indexOf(component); at >= 0;
             at = lower.indexOf(component, at + 1)) {
            const QString parent = at == 0 ? QString(sep) : original.left(at);
            if (g().goFSO->IsDriveRoot(parent))
                return true;
        }
    }
    return false;
}

bool isRecycleBin(const QString& path) {
    return startsBelowDriveRoot(path,
                                {QLatin1StringView("recycled"), QLatin1StringView("$recycle")});
}

} // namespace pelto::copylines
