#include "diag/LogText.h"

#include "platform/LocaleSeparators.h"

namespace pelto::diag {
namespace {

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
    const QChar dateSep = dateSeparator(locale);
    const QChar timeSep = timeSeparator(locale);
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
