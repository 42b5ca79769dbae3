// List keys are names lower-cased as QString::toLower does it; Latin-1 names take a shortcut
// that must agree with it for every code.
#include "engine/compare/CompareWalk.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace pelto::detail {
namespace {

TEST(LowerCaseKey, AgreesWithToLowerForEveryLatin1CodeAndBeyond) {
    for (char16_t code = 1; code < 0x300; ++code) {
        const QChar c(code);
        // Alone, behind ASCII capitals and in front of them, so the code decides every path.
        for (const QString& name : {QString(c), QStringLiteral("Ab") + c, c + QStringLiteral("Z"),
                                    QStringLiteral("longer name ") + c + QStringLiteral(".TXT")}) {
            ASSERT_EQ(LowerCaseKey(name), name.toLower()) << int(code);
        }
    }
}

TEST(LowerCaseKey, KeepsLowerCaseNamesAndLowersTheRest) {
    const QStringList names{QString(),   "report.txt",         "Report.TXT",
                            "café MENU", "Müller ÄÖÜ",         "ΣΊΣΥΦΟΣ",
                            "İstanbul",  "x\xF0\x9F\x98\x80Y", "ẞtraße"};
    for (const QString& name : names)
        EXPECT_EQ(LowerCaseKey(name), name.toLower()) << name.toStdString();
    const QString lower = QString::fromLatin1("already lower");
    EXPECT_EQ(LowerCaseKey(lower).constData(), lower.constData())
        << "no copy of a name that is its own key";
}

} // namespace
} // namespace pelto::detail
