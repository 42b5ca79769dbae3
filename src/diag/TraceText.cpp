#include "diag/TraceText.h"

namespace pelto::diag {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString padded(qint64 n, int width) {
    return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

// Whether a text starts with a number other than zero (blanks first and a sign allowed), the
// mark of an error raised by another instrumented component.
bool startsWithNonZeroNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else if (c.isDigit()) {
            if (c != QLatin1Char('0'))
                return true;
        } else {
            break;
        }
    }
    return false;
}

// "." normally; for an error raised remotely, the name of the component that raised it: the
// source text from its second character up to its first "!". Without a "!" there is no name and
// the suffix stays empty.
QString reportSuffix(const QString& source, const QString& programPath) {
    if (!startsWithNonZeroNumber(source))
        return QStringLiteral(".");
    const qsizetype bang = source.indexOf(QLatin1Char('!'));
    if (bang < 1)
        return {};
    return QStringLiteral(". This error was generated remotely by ") + source.mid(1, bang - 1) +
           QStringLiteral(", a component of ") + programPath + QLatin1Char('.');
}

} // namespace

QString traceSeconds(qint64 elapsedMs) {
    if (elapsedMs < 0)
        elapsedMs = 0;
    return padded(elapsedMs / 1000, 5) + QLatin1Char('.') + padded(elapsedMs % 1000, 3);
}

QString traceBannerLine(const QString& program, const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    return program + QStringLiteral(" START TRACE 1.00 LITE ") + padded(d.month(), 2) +
           QLatin1Char('-') + padded(d.day(), 2) + QLatin1Char('-') + padded(d.year(), 4) +
           QLatin1Char(',') + padded(t.hour(), 2) + QLatin1Char(':') + padded(t.minute(), 2) +
           QLatin1Char(':') + padded(t.second(), 2) + kCrLf;
}

QString traceCallLine(const QString& program, qint32 lineNumber, qint64 elapsedMs,
                      QLatin1String arrow, qint32 depth, const QString& module,
                      const QString& procedure, const QString& params) {
    QString line;
    line.reserve(64 + program.size() + module.size() + procedure.size() + params.size());
    line += QLatin1Char('[') + program + QStringLiteral("] [") + padded(lineNumber, 5) +
            QStringLiteral("] [") + traceSeconds(elapsedMs) + QStringLiteral("] ") + arrow;
    if (depth > 1)
        line += QString(depth - 1, QLatin1Char('\t'));
    line += module + QStringLiteral(" : ") + procedure + QStringLiteral(" : ") + params + kCrLf;
    return line;
}

QString errorDescription(const RuntimeError& error) {
    return error.description().isEmpty() ? describeError(error.number()) : error.description();
}

QString traceErrorLine(const QString& program, const RuntimeError& error, const QString& module,
                       const QString& procedure, int line) {
    return QLatin1Char('[') + program + QStringLiteral("] ERROR ") +
           QString::number(error.number()) + QStringLiteral(" \"") + errorDescription(error) +
           QStringLiteral("\" at ") + module + QStringLiteral(" : ") + procedure +
           QStringLiteral(" : ") + QString::number(line) + kCrLf;
}

QString failureReportText(const QString& programPath, const RuntimeError& error,
                          const QString& module, const QString& procedure, int line) {
    return QStringLiteral("Pelto TraceView reports ") + programPath +
           QStringLiteral(" program error #") + QString::number(error.number()) +
           QStringLiteral(" (") + errorDescription(error) +
           QStringLiteral(") occurred in module ") + module + QStringLiteral(", ") + procedure +
           QStringLiteral(", line ") + QString::number(line) +
           reportSuffix(error.source(), programPath);
}

} // namespace pelto::diag
