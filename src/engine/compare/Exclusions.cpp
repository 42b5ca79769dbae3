#include "engine/compare/Exclusions.h"

#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "platform/ProgramState.h"

#include <QDir>
#include <QStringList>
#include <QStringView>
#include <algorithm>

namespace pelto {

using diag::Answer;
using diag::LogError;
using diag::Procedure;
using diag::traceParams;

namespace {

const QString kModule = QStringLiteral("Pelto");
const QString kProcedure = QStringLiteral("ValidateExcludes");
const QString kSubdirs = QStringLiteral("subdirs");
const QString kCrLf = QStringLiteral("\r\n");
constexpr qsizetype kKeywordLength = 8; // "exclude " in front of the specifications
constexpr int kExclusionField = 5;      // field of the profile table holding the exclusion text

// The highest slot of the table: 101 slots beyond slot 0, 9 in developer mode.
int lastSlot() {
    return g().gbInDesign ? 9 : 101;
}

// Letters a to z in either case, digits, and . ? * blank _ - + ~ $ and the path separator.
bool isAllowed(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9'))
        return true;
    return QStringView(u".?* _-+~$").contains(c) || c == QDir::separator();
}

bool startsWithQuote(const QString& s) {
    return s.startsWith(QLatin1Char('"'));
}
bool endsWithQuote(const QString& s) {
    return s.endsWith(QLatin1Char('"'));
}

// Joins specifications written between double quotes, whose blanks split them into pieces, and
// removes the quotes. A quote that is never closed runs to the last piece.
void joinQuoted(QStringList& specs) {
    for (qsizetype k = 0; k < specs.size(); ++k) {
        QString& spec = specs[k];
        if (!startsWithQuote(spec))
            continue;
        // A quote standing alone opens the pieces after it; as the last piece it opens nothing
        // and stays, so that the character check refuses it.
        if (spec.size() == 1 && k + 1 == specs.size())
            continue;
        if (spec.size() >= 2 && endsWithQuote(spec)) {
            spec = spec.mid(1, spec.size() - 2);
            continue;
        }
        QString joined = spec.mid(1);
        qsizetype next = k + 1;
        while (next < specs.size()) {
            const QString& piece = specs[next++];
            joined += QLatin1Char(' ');
            if (endsWithQuote(piece)) {
                joined += piece.chopped(1);
                break;
            }
            joined += piece;
        }
        specs.remove(k + 1, next - k - 1);
        specs[k] = joined;
    }
}

// Fills the emptied g().gasExcludes from an exclusion text. Returns "" on success, or the message
// of the check that failed; the table then keeps what was written so far.
QString buildTable(const QString& field) {
    QStringList& table = g().gasExcludes;
    if (field.isEmpty())
        return {};

    QString s = field.toLower().mid(kKeywordLength);
    // The first occurrence of the word switches on exclusion in subfolders, wherever it stands.
    const qsizetype at = s.indexOf(kSubdirs);
    if (at >= 0) {
        table[1] = kSubdirs;
        s.replace(at, kSubdirs.size(), QString(kSubdirs.size(), QLatin1Char(' ')));
    }
    while (s.contains(QLatin1String("  ")))
        s.replace(QLatin1String("  "), QLatin1String(" "));

    // The limit counts the pieces between blanks as written, before quoted ones are joined and
    // empty ones (a blank left at either end) dropped: words inside quotes count one by one.
    const QStringList pieces = s.split(QLatin1Char(' '));
    const qint32 limit = excludeLimit();
    if (pieces.size() > limit) {
        return QStringLiteral("More than %1 file exclude specifications (profiles): %2")
                   .arg(limit)
                   .arg(pieces.size() - 1) +
               kCrLf + field;
    }
    QStringList specs;
    for (const QString& piece : pieces) {
        if (!piece.trimmed().isEmpty())
            specs.append(piece);
    }
    joinQuoted(specs);

    // Specifications go to slots 2 .. limit + 1 at most, leaving the last slot empty.
    const qsizetype count = 1 + specs.size();
    for (qsizetype k = 2; k <= count; ++k)
        table[k] = specs[k - 2];

    qsizetype lastSpec = 0;
    for (qsizetype k = count; k >= 2; --k) {
        if (!table[k].isEmpty()) {
            lastSpec = k;
            break;
        }
    }
    table[0] = QString::number(lastSpec);

    if (table[2].trimmed().isEmpty()) {
        return QStringLiteral("Need at least ONE file exclude specification (profiles): ") +
               QString::number(pieces.size()) + kCrLf + field;
    }

    for (qsizetype k = 1; k <= count; ++k) {
        const QString& slot = table[k];
        const auto bad = std::find_if_not(slot.cbegin(), slot.cend(), isAllowed);
        if (bad != slot.cend()) {
            const qsizetype p = bad - slot.cbegin() + 1;
            return QStringLiteral(
                       "Unexpected character in file exclude specification (profiles): ") +
                   QString::number(p) + kCrLf + field + kCrLf + QString::number(k) +
                   QStringLiteral(": ") + slot;
        }
    }
    return {};
}

bool sameLetter(QChar a, QChar b) {
    return a == b || a.toLower() == b.toLower();
}

// Iterative match that backtracks only to the last '*'. '?' takes one character, a surrogate
// pair included.
bool wildcardMatch(QStringView name, QStringView pattern) {
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    const auto charLength = [&](qsizetype i) -> qsizetype {
        return i + 1 < name.size() && name[i].isHighSurrogate() && name[i + 1].isLowSurrogate() ? 2
                                                                                                : 1;
    };
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == u'?') {
            n += charLength(n);
            ++p;
        } else if (p < pattern.size() && sameLetter(pattern[p], name[n])) {
            ++n;
            ++p;
        } else if (starP >= 0) {
            p = starP + 1;
            starN += charLength(starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

// Whether a name matches one of the specifications in slots 2 .. the number in slot 0, each with
// its first `skip` characters left off.
bool matchesTable(const QString& name, qsizetype skip) {
    const QStringList& table = g().gasExcludes;
    if (table.isEmpty())
        return false;
    const qsizetype last = std::min<qsizetype>(table[0].toInt(), table.size() - 1);
    for (qsizetype k = 2; k <= last; ++k) {
        if (wildcardMatch(name, QStringView(table[k]).mid(std::min(skip, table[k].size()))))
            return true;
    }
    return false;
}

} // namespace

qint32 excludeLimit() {
    return lastSlot() - 2;
}

bool ValidateExcludes(qint16 biNdex, bool bbLogToFile) {
    Procedure proc("Pelto", "Function ValidateExcludes", [&] {
        return traceParams("biNdex", biNdex, "bbLogToFile", "<Boolean = False>");
    });
    QString field;
    QString failure;
    bool unexpected = false;
    const auto trap = proc.trap([&](const RuntimeError&) {
        unexpected = true;
        return Answer::None;
    });
    const auto completed = trap([&] {
        unexpected = false;
        // Emptied first, so that no exclusions of an earlier line outlive a failure here.
        g().gasExcludes = QStringList(lastSlot() + 1);
        field = g().gasProfile.at(kExclusionField, biNdex);
        failure = buildTable(field);
    });
    if (!completed || unexpected) {
        LogError(kModule, kProcedure,
                 QStringLiteral("Error in file exclude specifications for profiles: ") + kCrLf +
                     field);
        g().gbErrorFlag = true;
        return false;
    }
    // A profile line without exclusions: the table is empty and there is nothing to note.
    if (field.isEmpty())
        return true;
    if (!failure.isEmpty()) {
        LogError(kModule, kProcedure, failure);
        g().gbErrorFlag = true;
        return false;
    }
    if (bbLogToFile)
        LogError(kModule, kProcedure, QStringLiteral("Files excluded: ") + field, false);
    return true;
}

bool CheckExcludeSubdir(bool bbFirstCall) {
    Procedure proc("Pelto", "Function CheckExcludeSubdir",
                   [&] { return traceParams("bbFirstCall", "<Boolean = False>"); });
    const QStringList& table = g().gasExcludes;
    if (table.size() < 2)
        return false;
    return !table[0].isEmpty() && g().gbExcludes && (table[1] == kSubdirs || bbFirstCall);
}

bool FileExcluded(const QString& asName) {
    Procedure proc("Pelto", "Function FileExcluded", [&] { return traceParams("asName", asName); });
    return matchesTable(asName, 0);
}

bool FolderExcluded(const QString& asName) {
    Procedure proc("Pelto", "Function FolderExcluded",
                   [&] { return traceParams("asName", asName); });
    return matchesTable(asName, 1);
}

bool MatchesWildcard(const QString& asName, const QString& asPattern) {
    Procedure proc("Pelto", "Function MatchesWildcard",
                   [&] { return traceParams("asName", asName, "asPattern", asPattern); });
    return wildcardMatch(asName, asPattern);
}

} // namespace pelto
