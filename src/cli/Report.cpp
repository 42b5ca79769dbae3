#include "cli/Report.h"

#include "engine/compare/MainForm.h"
#include "engine/copy/CopyLines.h"

namespace pelto::cli {
namespace {

void appendList(QStringList& out, const QString& label, const ResultList& list) {
    if (!out.isEmpty())
        out.append(QString());
    out.append(label);
    out.append(list.items());
}

bool namesAnItem(const ResultList& list) {
    for (const QString& line : list.items()) {
        if (!copylines::isHeader(line))
            return true;
    }
    return false;
}

QString count(qsizetype n) {
    return QString::number(n);
}

QString reasonText(LeftOutReason reason) {
    switch (reason) {
    case LeftOutReason::Locked:
        return QStringLiteral("locked or unreadable");
    case LeftOutReason::Vanished:
        return QStringLiteral("vanished since the check");
    case LeftOutReason::NameNotHeld:
        return QStringLiteral("name the destination cannot hold");
    case LeftOutReason::SpecialFile:
        return QStringLiteral("not a file or folder");
    case LeftOutReason::Other:
        break;
    }
    return QStringLiteral("other reasons");
}

} // namespace

QString sourceFoldersLabel() {
    return QStringLiteral("Mismatched directories on source drive");
}

QString destinationFoldersLabel(bool sync) {
    return QStringLiteral("Mismatched directories on") +
           (sync ? QStringLiteral(" destination. These directories will be deleted!")
                 : QStringLiteral(" destination "));
}

QString sourceFilesLabel() {
    return QStringLiteral("Mismatched files on source drive");
}

QString destinationFilesLabel(bool sync) {
    return QStringLiteral("Mismatched files on destination") +
           (sync ? QStringLiteral(" drive. These files will be deleted!")
                 : QStringLiteral(" drive "));
}

QStringList listReport(MainForm& af) {
    const bool sync = af.optSync();
    QStringList out;
    appendList(out, sourceFoldersLabel(), af.lstSrcFolder());
    appendList(out, destinationFoldersLabel(sync), af.lstDstFolder());
    appendList(out, sourceFilesLabel(), af.lstSrcFile());
    appendList(out, destinationFilesLabel(sync), af.lstDstFile());
    return out;
}

bool hasDifferences(MainForm& af) {
    return af.lstSrcFolder().count() > 0 || af.lstDstFolder().count() > 0 ||
           namesAnItem(af.lstSrcFile()) || namesAnItem(af.lstDstFile());
}

QStringList copyReport(const workflow::CopySummary& s) {
    QStringList out;
    if (s.test) {
        out.append(QStringLiteral("Test mode: nothing was changed on disk (--production copies)."));
        out.append(QStringLiteral("Folders to copy with their contents: ") +
                   count(s.foldersCopied));
        out.append(QStringLiteral("Files to copy: ") + count(s.filesCopied));
        if (s.sync) {
            out.append(QStringLiteral("Folders to delete: ") + count(s.foldersDeleted));
            out.append(QStringLiteral("Files to delete: ") + count(s.filesDeleted));
        }
    } else {
        out.append(QStringLiteral("Folders copied with their contents: ") + count(s.foldersCopied));
        out.append(QStringLiteral("Files copied: ") + count(s.filesCopied));
        if (s.sync) {
            out.append(QStringLiteral("Folders deleted: ") + count(s.foldersDeleted));
            out.append(QStringLiteral("Files deleted: ") + count(s.filesDeleted));
        }
        if (s.archiveReset)
            out.append(QStringLiteral("Archive bits of the copied files cleared."));
    }
    out.append(QStringLiteral("Skipped: ") + leftOutCounts(s.leftOut));
    for (const QString& message : s.skipped)
        out.append(QStringLiteral("  ") + message);
    return out;
}

QString leftOutCounts(const LeftOutTally& tally) {
    QStringList reasons;
    for (int k = 0; k < kLeftOutReasons; ++k) {
        const auto reason = static_cast<LeftOutReason>(k);
        if (const qsizetype n = tally.count(reason); n > 0)
            reasons.append(reasonText(reason) + QLatin1Char(' ') + count(n));
    }
    if (reasons.isEmpty())
        return count(0);
    return count(tally.total()) + QStringLiteral(" (") + reasons.join(QStringLiteral(", ")) +
           QLatin1Char(')');
}

} // namespace pelto::cli
