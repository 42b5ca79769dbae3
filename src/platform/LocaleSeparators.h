#pragma once
// The date and time separators of a locale, as the locale's short formats use them.

#include <QChar>
#include <QLocale>

namespace pelto {

// The first character of the short date format that is neither a letter, a blank nor a quote;
// "/" when the format has none (the C locale writes "d MMM yyyy").
QChar dateSeparator(const QLocale& locale);
// The same for the short time format; ":" when it has none.
QChar timeSeparator(const QLocale& locale);

} // namespace pelto
