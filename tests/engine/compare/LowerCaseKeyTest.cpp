// List keys are names lower-cased as QString::toLower does it, Latin-1 ones by a shortcut.
#include "engine/compare/CompareWalk.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace pelto::detail {
namespace {

TEST(LowerCaseKey, AgreesWithToLowerForEveryLatin1CodeAndBeyond) {
    QStringList names{QString(),  "café MENU",          "ΣΊΣΥΦΟΣ",
                      "İstanbul", "x\xF0\x9F\x98\x80Y", "ẞtraße"};
    // Each code alone, behind ASCII capitals and in front of them, so the code decides every path.
    for (char16_t code = 1; code < 0x300; ++code)
        names << QString(QChar(code)) << "Ab" + QString(QChar(code)) << QChar(code) + QString("Z")
              << "longer name " + QString(QChar(code)) + ".TXT";
    for (const QString& name : std::as_const(names))
        ASSERT_EQ(LowerCaseKey(name), name.toLower()) << name.toStdString();
}

} // namespace
} // namespace pelto::detail
