#pragma once
// Numbers from stored or typed text. A text is a number when it holds, between optional blanks,
// an optional sign, digits and an optional decimal part ("12", " -7 ", "+ 3", "12.5", ".5",
// "5."); the full stop is the decimal separator in every locale, since stored values are
// written that way. A number is rounded to the nearest whole number, halves to the even
// neighbour. Any other text (including "", "1e3", "12,5", "0x10") gives 0.

#include <QString>
#include <QStringView>
#include <optional>

namespace pelto::diag {

// A 16-bit number. Outside -32768..32767 it logs that the text was converted to Long (for
// `asCaller`, the calling procedure and key) and returns the number in 32 bits; beyond 32 bits
// the failure report is asked and 0 is returned.
qint32 CvtInt(const QString& asText, const QString& asCaller);
// A 32-bit number; beyond 32 bits the failure report is asked and 0 is returned.
qint32 CvtLng(const QString& asText, const QString& asCaller);

// The rounded number, or nothing when the text is not a number. Magnitudes beyond 2^53 are
// clamped there: every caller treats them as out of range anyway.
std::optional<qint64> roundedNumber(QStringView text);

} // namespace pelto::diag
