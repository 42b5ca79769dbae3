#include "diag/LogText.h"

namespace pelto::diag {
namespace {

// The first character of a locale's date or time pattern that is neither a pattern letter nor
// a blank or quote: the separator between its fields.
QChar patternSeparator(const QString& pattern, QChar fallback) {
    for (const QChar c : pattern) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\''))
            return c;
    }
    return fallback;
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QString programVersionLine(const VersionRecord& version) {
    return QStringLiteral("Program version %1.%2.%3")
        .arg(version.major)
        .arg(version.minor)
        .arg(QString::number(version.revision).right(2));
}

QString loggingStartedLine(const QDateTime& when, const QLocale& locale) {
    const QChar dateSep =
        patternSeparator(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
    const QChar timeSep =
        patternSeparator(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
    const QDate date = when.date();
    const QTime time = when.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    QString designator = time.hour() < 12 ? locale.amText() : locale.pmText();
    if (designator.isEmpty())
        designator = time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
    return QStringLiteral("Logging started ") + twoDigits(date.month()) + dateSep +
           twoDigits(date.day()) + dateSep + twoDigits(date.year() % 100) + QStringLiteral(" at ") +
           twoDigits(hour12) + timeSep + twoDigits(time.minute()) + QLatin1Char(' ') + designator;
}

QString runHeader(const QDateTime& when, const QLocale& locale, const VersionRecord& version) {
    return loggingStartedLine(when, locale) + QStringLiteral("\r\n") + programVersionLine(version);
}

} // namespace pelto::diag
