#pragma once
// The order of list keys: binary by 16-bit codes, as QString::compare with Qt::CaseSensitive
// gives it. The sorted list and the walk over two sorted lists must agree on it exactly; both
// compare hundreds of thousands of names per check, so the comparison is inline and takes four
// codes at a time (names often share long beginnings).

#include <QString>
#include <QStringView>
#include <algorithm>
#include <bit>
#include <cstring>

namespace pelto::detail {

// Four 16-bit codes as they lie in memory.
inline quint64 loadFourCodes(const char16_t* text) noexcept {
    quint64 codes = 0;
    std::memcpy(&codes, text, sizeof codes);
    return codes;
}

// Four codes loaded by loadFourCodes as one number that orders as the codes do: the first code
// in the highest bits.
inline quint64 fourCodesInOrder(quint64 codes) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        codes = (codes << 32) | (codes >> 32);
        codes = ((codes & 0x0000ffff0000ffffULL) << 16) | ((codes >> 16) & 0x0000ffff0000ffffULL);
    }
    return codes;
}

// Compares two texts from position `from` on, where both are known to agree before it:
// negative, zero or positive.
inline int compareKeyCodes(const char16_t* a, qsizetype na, const char16_t* b, qsizetype nb,
                           qsizetype from) noexcept {
    const qsizetype n = std::min(na, nb);
    qsizetype k = from;
    for (; k + 4 <= n; k += 4) {
        const quint64 x = loadFourCodes(a + k);
        const quint64 y = loadFourCodes(b + k);
        if (x != y) {
            // The first code that differs decides.
            const quint64 diff = x ^ y;
            const int at = (std::endian::native == std::endian::little ? std::countr_zero(diff)
                                                                       : std::countl_zero(diff)) /
                           16;
            return a[k + at] < b[k + at] ? -1 : 1;
        }
    }
    for (; k < n; ++k) {
        if (a[k] != b[k])
            return a[k] < b[k] ? -1 : 1;
    }
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

inline const char16_t* codesOf(QStringView text) noexcept {
    return text.utf16();
}

// Negative, zero or positive as key a sorts before, with or after key b.
inline int compareKeys(QStringView a, QStringView b) noexcept {
    return compareKeyCodes(codesOf(a), a.size(), codesOf(b), b.size(), 0);
}

} // namespace pelto::detail
