// List keys are names lower-cased as QString::toLower does it, Latin-1 ones by a shortcut.
#include "engine/compare/CompareWalk.h"
#include "engine/compare/FolderListing.h"

#include <QHash>
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

// The twins of a folder are the keys more than one of its entries lowers to, whichever entries
// change as they are lowered and whether or not a key shares its name's text. Undecodable bytes
// keep names apart that lowering by QString::toLower would make one.
TEST(TwinKeys, FindsEveryKeyHeldTwiceAmongChangedAndUnchangedNames) {
    const auto text = [](QStringView codes) { return codes.toString(); };
    const QList<QStringList> folders{
        {"a.txt", "b.txt", "c"},
        {"a.txt", "A.txt"},
        {"A.txt", "a.TXT", "b"},
        {"Readme", "README", "readme", "other", "Other"},
        {text(u"\u00c4"), text(u"\u00e4"), text(u"\u00d6")},
        {text(u"x\xdc80Y"), text(u"x\xdc80y"), text(u"x\xdc81y")},
        {text(u"Stra\u00dfe"), "STRASSE", "strasse"},
        {"Music", "music.mp3", "MUSIC.mp3"},
    };
    for (const QStringList& names : folders) {
        QList<DirEntry> entries;
        QHash<QString, int> held;
        for (const QString& name : names) {
            // Every other entry a folder: twins are counted across files and folders alike.
            entries.append({name, entries.size() % 2 ? EntryKind::Folder : EntryKind::File, false});
            ++held[LowerCaseKey(name)];
        }
        QSet<QString> expected;
        for (auto it = held.cbegin(); it != held.cend(); ++it) {
            if (it.value() > 1)
                expected.insert(it.key());
        }
        QList<QString> shared, ownText;
        for (const DirEntry& entry : std::as_const(entries)) {
            shared.append(LowerCaseKey(entry.name));
            ownText.append(QString(shared.last().constData(), shared.last().size()));
        }
        EXPECT_EQ(TwinKeys(entries, shared), expected) << names.join(u'|').toStdString();
        EXPECT_EQ(TwinKeys(entries, ownText), expected) << names.join(u'|').toStdString();
    }
}

} // namespace
} // namespace pelto::detail
