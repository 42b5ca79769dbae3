#include "cli/ProgressLine.h"

namespace pelto::cli {

QString elapsedText(qint64 ms) {
    const qint64 seconds = qMax<qint64>(ms, 0) / 1000;
    const qint64 hours = seconds / 3600;
    const QString mmss =
        QStringLiteral("%1:%2")
            .arg(hours > 0 ? QStringLiteral("%1").arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
                           : QString::number(seconds / 60))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + QLatin1Char(':') + mmss : mmss;
}

QString progressText(const ProgressState& state, int width) {
    const QString head = state.stage + QLatin1Char(' ') + elapsedText(state.elapsedMs) +
                         QStringLiteral(" | source ") + QString::number(state.sourceFiles) +
                         QStringLiteral(" files | destination ") +
                         QString::number(state.destinationFiles) + QStringLiteral(" files");
    const qsizetype room = qMax(width - 1, 1);
    if (head.size() >= room)
        return head.left(room);
    const QString item = state.item.trimmed();
    if (item.isEmpty())
        return head;
    const QString separator = QStringLiteral(" | ");
    const qsizetype left = room - head.size() - separator.size();
    if (left <= 3)
        return head;
    if (item.size() <= left)
        return head + separator + item;
    return head + separator + QStringLiteral("...") + item.right(left - 3);
}

} // namespace pelto::cli
