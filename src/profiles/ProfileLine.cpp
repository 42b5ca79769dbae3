#include "profiles/ProfileLine.h"

#include "platform/ProgramPaths.h"

namespace pelto {
namespace {

constexpr QChar kBlank = u' ';
constexpr QLatin1StringView kExclude("exclude");
constexpr QLatin1StringView kSubdirs("subdirs");
constexpr qsizetype kDisplayWidth = 20;

// The position of the word exclude at or after `from` (at least 1): preceded by a blank and
// followed by a blank or the end of the line. -1 when there is none.
qsizetype findExcludeWord(const QString& line, qsizetype from) {
    const qsizetype length = kExclude.size();
    for (qsizetype i = qMax<qsizetype>(from, 1); i + length <= line.size(); ++i) {
        if (line[i - 1] != kBlank)
            continue;
        if (QStringView(line).sliced(i, length).compare(kExclude, Qt::CaseInsensitive) != 0)
            continue;
        if (i + length == line.size() || line[i + length] == kBlank)
            return i;
    }
    return -1;
}

// Cuts a trailing word subdirs off the destination part; true when there was one.
bool cutSubdirsWord(QString& destination) {
    const qsizetype length = kSubdirs.size();
    if (destination.size() <= length)
        return false;
    if (QStringView(destination).right(length).compare(kSubdirs, Qt::CaseInsensitive) != 0)
        return false;
    if (destination[destination.size() - length - 1] != kBlank)
        return false;
    destination = trimBlanks(destination.left(destination.size() - length));
    return true;
}

void dropTrailingSeparator(QString& path, PathSyntax syntax) {
    if (syntax == PathSyntax::Separator) {
        if (path.size() > 1 && path.endsWith(u'/'))
            path.chop(1);
    } else {
        if (path.endsWith(u'\\') && !path.endsWith(QLatin1StringView(":\\")))
            path.chop(1);
    }
}

// Where the destination starts, or -1.
qsizetype destinationStart(const QString& line, PathSyntax syntax) {
    if (syntax == PathSyntax::Separator) {
        for (qsizetype i = 1; i < line.size(); ++i) {
            if (line[i] == u'/' && line[i - 1] == kBlank)
                return i;
        }
        return -1;
    }
    const qsizetype colon = line.indexOf(u':', 2);
    return colon < 0 ? -1 : colon - 1;
}

} // namespace

PathSyntax nativePathSyntax() {
    return pathsHaveDriveLetters() ? PathSyntax::DriveLetter : PathSyntax::Separator;
}

bool startsLikeProfileLine(const QString& rawLine, PathSyntax syntax) {
    if (syntax == PathSyntax::Separator)
        return rawLine.startsWith(u'/');
    return rawLine.indexOf(u':') == 1;
}

ProfileLineParts parseProfileLine(const QString& rawLine, PathSyntax syntax) {
    ProfileLineParts parts;
    parts.line = rawLine;
    parts.line.replace(u'\t', kBlank);
    const QString& line = parts.line;

    if (!startsLikeProfileLine(line, syntax)) {
        parts.error = ProfileLineError::Column;
        return parts;
    }
    const qsizetype start = destinationStart(line, syntax);
    if (start < 0) {
        parts.error = ProfileLineError::NoDestination;
        return parts;
    }

    // The source is what lies before the blank in front of the destination.
    parts.source = trimBlanks(line.left(qMax<qsizetype>(start - 1, 0)));
    dropTrailingSeparator(parts.source, syntax);

    QString rest = line;
    const qsizetype exclude = findExcludeWord(line, start + 1);
    if (exclude >= 0) {
        parts.excludes = trimBlanks(line.mid(exclude));
        rest = line.left(exclude);
    }

    parts.destination = trimBlanks(rest.mid(start));
    parts.subdirs = cutSubdirsWord(parts.destination);
    if (syntax == PathSyntax::DriveLetter && parts.destination.size() == 2)
        parts.destination += parts.source.mid(2);
    dropTrailingSeparator(parts.destination, syntax);
    return parts;
}

QString columnErrorText(PathSyntax syntax) {
    return syntax == PathSyntax::Separator ? QStringLiteral("Expected / in column 1")
                                           : QStringLiteral("Expected : in column 2");
}

QString subdirsColumn(bool subdirs) {
    return subdirs ? QStringLiteral("  subdirs   ") : QString(12, kBlank);
}

QString displayPath(const QString& path) {
    if (path.size() >= kDisplayWidth)
        return path.left(3) + QStringLiteral("...") + path.right(14);
    return path.leftJustified(kDisplayWidth, kBlank);
}

QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == kBlank)
        ++first;
    while (last > first && text[last - 1] == kBlank)
        --last;
    return text.mid(first, last - first);
}

} // namespace pelto
