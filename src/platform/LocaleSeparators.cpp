#include "platform/LocaleSeparators.h"

#include <QString>

namespace pelto {
namespace {

QChar patternSeparator(const QString& pattern, QChar fallback) {
    for (const QChar c : pattern) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\''))
            return c;
    }
    return fallback;
}

} // namespace

QChar dateSeparator(const QLocale& locale) {
    return patternSeparator(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
}

QChar timeSeparator(const QLocale& locale) {
    return patternSeparator(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
}

} // namespace pelto
