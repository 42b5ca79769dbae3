#include "diag/Convert.h"

#include "diag/ErrorLog.h"
#include "diag/Procedure.h"

#include <limits>

namespace pelto::diag {
namespace {

constexpr qint64 kMagnitudeCap = qint64{1} << 53;

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The number in 32 bits, or the overflow error the failure report shows.
qint32 toLong(qint64 number) {
    if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
        throw RuntimeError(err::Overflow, QStringLiteral("Overflow"));
    return static_cast<qint32>(number);
}

} // namespace

std::optional<qint64> roundedNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };

    skipBlanks();
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
        skipBlanks();
    }

    qint64 magnitude = 0;
    qsizetype digits = 0;
    for (; i < n && isDigit(text[i]); ++i, ++digits)
        magnitude = std::min(magnitude * 10 + (text[i].unicode() - '0'), kMagnitudeCap);

    // The decimal part decides the rounding: above one half rounds up, below down, and exactly
    // one half goes to the even neighbour.
    enum class Fraction { Zero, BelowHalf, Half, AboveHalf } fraction = Fraction::Zero;
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        bool first = true;
        for (; i < n && isDigit(text[i]); ++i, ++digits) {
            const int d = text[i].unicode() - '0';
            if (first) {
                fraction = d > 5    ? Fraction::AboveHalf
                           : d == 5 ? Fraction::Half
                           : d > 0  ? Fraction::BelowHalf
                                    : Fraction::Zero;
                first = false;
            } else if (d > 0) {
                if (fraction == Fraction::Half)
                    fraction = Fraction::AboveHalf;
                else if (fraction == Fraction::Zero)
                    fraction = Fraction::BelowHalf;
            }
        }
    }
    skipBlanks();
    if (digits == 0 || i != n)
        return std::nullopt;

    if (fraction == Fraction::AboveHalf || (fraction == Fraction::Half && magnitude % 2 != 0))
        magnitude = std::min(magnitude + 1, kMagnitudeCap);
    return negative ? -magnitude : magnitude;
}

qint32 CvtInt(const QString& asText, const QString& asCaller) {
    qint32 result = 0;
    Procedure proc("Pelto", "Function CvtInt",
                   [&] { return traceParams("asText", asText, "asCaller", asCaller); });
    const std::optional<qint64> number = roundedNumber(asText);
    if (!number)
        return result;
    if (*number < std::numeric_limits<qint16>::min() ||
        *number > std::numeric_limits<qint16>::max())
        LogError(QStringLiteral("Pelto"), QStringLiteral("CvtInt"),
                 QStringLiteral("\r\n") + asText +
                     QStringLiteral(" converted to Long, called from routine ") + asCaller,
                 true);
    const auto trap = proc.trap();
    return trap([&] { return toLong(*number); }).valueOr(result);
}

qint32 CvtLng(const QString& asText, const QString& asCaller) {
    qint32 result = 0;
    Procedure proc("Pelto", "Function CvtLng",
                   [&] { return traceParams("asText", asText, "asCaller", asCaller); });
    const std::optional<qint64> number = roundedNumber(asText);
    if (!number)
        return result;
    const auto trap = proc.trap();
    return trap([&] { return toLong(*number); }).valueOr(result);
}

} // namespace pelto::diag
