#include "engine/copy/CopyLines.h"

#include "engine/compare/Compare.h"
#include "engine/compare/ResultList.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"
#include "platform/RuntimeError.h"

#include <QStringBuilder>

namespace pelto::copylines {

namespace {

const QLatin1StringView kHeader("Dir: ");

} // namespace

void refuseUntrusted() {
    throw RuntimeError(kInvalidCall, QStringLiteral("Invalid procedure call or argument"));
}

bool isHeader(const QString& line) {
    return line.startsWith(kHeader);
}

const LineData& trustedLine(const ResultList& list, qsizetype index) {
    const LineData& data = list.lineData(index);
    if (data.kind == LineData::Kind::Untrusted)
        refuseUntrusted();
    return data;
}

SourceFolderLine sourceFolderLine(const LineData& line) {
    if (line.kind != LineData::Kind::Entry || line.name.isEmpty())
        refuseUntrusted();
    return {joinPath(line.folder, line.name), withSeparator(line.target)};
}

QString destinationFolderOf(const SourceFolderLine& line, const QString& sourceRoot,
                            const QString& destinationRoot) {
    const QString root = withSeparator(sourceRoot);
    if (line.sourceFolder.startsWith(root, Qt::CaseInsensitive) &&
        line.sourceFolder.size() > root.size())
        return joinPath(destinationRoot, line.sourceFolder.mid(root.size()));
    return joinPath(line.destinationParent, fspath::nameOf(line.sourceFolder));
}

QString entryPath(const LineData& line) {
    if (line.kind != LineData::Kind::Entry || line.name.isEmpty())
        refuseUntrusted();
    return joinPath(line.folder, line.name);
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
