// The usage history of profiles in a settings store in a temporary folder: first use, unchanged,
// edited, shortened and grown profiles, entry numbers past 99, the section left current for
// the check and the copy, and the record of folders created under a profile.

#include "ProfileFixture.h"

#include "profiles/ProfileTables.h"

namespace pelto::test {
namespace {

class ProfileHistoryTest : public ProfileTest {
protected:
    // Puts the lines into the profile table as a read of the profile file does.
    static void setLines(const QStringList& lines) {
        profile::newProfileTables();
        for (int n = 1; n <= lines.size(); ++n) {
            profile::growProfileTable(n);
            g().gasProfile.set(profile::kLine, n, lines[n - 1]);
        }
    }
    static bool store(const QString& name, const QStringList& lines) {
        setLines(lines);
        return StoreProfiles(name, static_cast<qint16>(lines.size()));
    }
    void save(const QString& section, const QString& key, const QString& value) {
        g().goReg->setSection(section);
        g().goReg->setKey(key);
        g().goReg->setSettings(value);
        g().goReg->SaveReg();
    }
    static QString date(const QDate& day) {
        return lastUsedText(day, dateSeparatorOf(QLocale::system()));
    }

    const QStringList two{QStringLiteral("/home/me/a /backup/a subdirs"),
                          QStringLiteral("/home/me/b /backup/b exclude *.tmp")};
};

TEST_F(ProfileHistoryTest, FirstUseWritesANewEntry) {
    ASSERT_TRUE(store(QStringLiteral("Backup"), two));
    EXPECT_EQ(stored(QStringLiteral("Settings"), QStringLiteral("NumProfiles")),
              QStringLiteral("1"));
    const QString s = QStringLiteral("Profile01");
    EXPECT_EQ(stored(s, QStringLiteral("Description")), QStringLiteral("Backup"));
    EXPECT_EQ(stored(s, QStringLiteral("TimesUsed")), QStringLiteral("0"));
    EXPECT_EQ(stored(s, QStringLiteral("LastUsed")), date(fixedToday()));
    EXPECT_EQ(stored(s, QStringLiteral("LinesUsed")), QStringLiteral("2"));
    EXPECT_EQ(stored(s, QStringLiteral("Line01")), two[0]);
    EXPECT_EQ(stored(s, QStringLiteral("Line02")), two[1]);
    EXPECT_EQ(g().giProfileEntry, 1);
    EXPECT_EQ(g().goReg->Section(), s);
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(ProfileHistoryTest, UnchangedProfileOnlyGetsANewDate) {
    ASSERT_TRUE(store(QStringLiteral("Backup"), two));
    save(QStringLiteral("Profile01"), QStringLiteral("TimesUsed"), QStringLiteral("3"));
    setHistoryDateSource([] { return QDate(2026, 12, 31); });
    ASSERT_TRUE(store(QStringLiteral("Backup"), two));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("LastUsed")),
              date(QDate(2026, 12, 31)));
    EXPECT_EQ(stored(QStringLiteral("Settings"), QStringLiteral("NumProfiles")),
              QStringLiteral("1"));
}

TEST_F(ProfileHistoryTest, EditedLineRewritesTheEntryAndStartsItAgain) {
    ASSERT_TRUE(store(QStringLiteral("Backup"), two));
    save(QStringLiteral("Profile01"), QStringLiteral("TimesUsed"), QStringLiteral("5"));
    const QStringList edited{two[0], QStringLiteral("/home/me/b /backup/B")};
    ASSERT_TRUE(store(QStringLiteral("Backup"), edited));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("Line02")), edited[1]);
    EXPECT_EQ(stored(QStringLiteral("Settings"), QStringLiteral("NumProfiles")),
              QStringLiteral("1"));
}

TEST_F(ProfileHistoryTest, ShortenedProfileLosesItsSurplusLines) {
    const QStringList three = two + QStringList{QStringLiteral("/c /d")};
    ASSERT_TRUE(store(QStringLiteral("Backup"), three));
    save(QStringLiteral("Profile01"), QStringLiteral("TimesUsed"), QStringLiteral("4"));
    ASSERT_TRUE(store(QStringLiteral("Backup"), two));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("LinesUsed")),
              QStringLiteral("2"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("Line03")), QString());
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("0"));
    // The deleted key is gone from the store, not kept as an empty value.
    g().goReg->setSection(QStringLiteral("Profile01"));
    g().goReg->setKey(QStringLiteral("Line03"));
    EXPECT_THROW(g().goReg->DelReg(), RuntimeError);
}

TEST_F(ProfileHistoryTest, ProfileThatGainedLinesHasChanged) {
    ASSERT_TRUE(store(QStringLiteral("Backup"), two));
    save(QStringLiteral("Profile01"), QStringLiteral("TimesUsed"), QStringLiteral("7"));
    const QStringList grown = two + QStringList{QStringLiteral("/c /d")};
    ASSERT_TRUE(store(QStringLiteral("Backup"), grown));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("LinesUsed")),
              QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("Line03")), grown[2]);
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("0"));
}

TEST_F(ProfileHistoryTest, HundredthEntryHasThreeDigits) {
    save(QStringLiteral("Settings"), QStringLiteral("NumProfiles"), QStringLiteral("99"));
    ASSERT_TRUE(store(QStringLiteral("New"), two));
    EXPECT_EQ(stored(QStringLiteral("Settings"), QStringLiteral("NumProfiles")),
              QStringLiteral("100"));
    EXPECT_EQ(stored(QStringLiteral("Profile100"), QStringLiteral("Description")),
              QStringLiteral("New"));
    EXPECT_EQ(g().giProfileEntry, 100);
    EXPECT_EQ(g().goReg->Section(), QStringLiteral("Profile100"));
}

TEST_F(ProfileHistoryTest, ChosenProfileSectionIsLeftCurrentForTheCheckAndTheCopy) {
    ASSERT_TRUE(store(QStringLiteral("A"), two));
    ASSERT_TRUE(store(QStringLiteral("B"), {QStringLiteral("/x /y")}));
    save(QStringLiteral("Profile01"), QStringLiteral("TimesUsed"), QStringLiteral("2"));
    save(QStringLiteral("Profile02"), QStringLiteral("TimesUsed"), QStringLiteral("9"));

    ASSERT_TRUE(store(QStringLiteral("A"), two));
    EXPECT_EQ(g().giProfileEntry, 1);
    EXPECT_EQ(g().goReg->Section(), QStringLiteral("Profile01"));
    // What the check reads next, without setting a section.
    g().goReg->setKey(QStringLiteral("TimesUsed"));
    g().goReg->GetReg();
    EXPECT_EQ(g().goReg->Settings(), QStringLiteral("2"));
}

TEST_F(ProfileHistoryTest, LinesWithCharactersTheStoreEscapesCompareEqual) {
    const QStringList odd{QStringLiteral("/a,b;c /d=e#f exclude \"x y\" *.tmp"),
                          QStringLiteral("/caf\u00e9\\x /%41 \"quoted\" , ;  ")};
    ASSERT_TRUE(store(QStringLiteral("Odd, name; [x]"), odd));
    save(QStringLiteral("Profile01"), QStringLiteral("TimesUsed"), QStringLiteral("2"));
    ASSERT_TRUE(store(QStringLiteral("Odd, name; [x]"), odd));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("2"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("Line02")), odd[1]);
    EXPECT_EQ(stored(QStringLiteral("Settings"), QStringLiteral("NumProfiles")),
              QStringLiteral("1"));
}

TEST_F(ProfileHistoryTest, HandEditedStoreWithMissingLinesDoesNotFail) {
    const QStringList three = two + QStringList{QStringLiteral("/c /d")};
    ASSERT_TRUE(store(QStringLiteral("Backup"), three));
    g().goReg->setSection(QStringLiteral("Profile01"));
    g().goReg->setKey(QStringLiteral("Line03"));
    g().goReg->DelReg();
    ASSERT_TRUE(store(QStringLiteral("Backup"), {two[0]}));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("LinesUsed")),
              QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("Line02")), QString());
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(ProfileHistoryTest, FolderRecordGrowsAndKeepsEachFolderWithItsLine) {
    setLines(two);
    ASSERT_EQ(g().gasFolderProfile.upperBound(), 10);
    for (int k = 1; k <= 12; ++k) {
        g().giProfileLine = static_cast<qint16>(k % 3 + 1);
        ASSERT_TRUE(StoreFolderProfile(QStringLiteral("/backup/f%1").arg(k)));
    }
    const TextTable& record = g().gasFolderProfile;
    EXPECT_EQ(record.at(profile::kFolderLine, 0), QStringLiteral("12"));
    EXPECT_EQ(record.upperBound(), 20);
    for (int k = 1; k <= 12; ++k) {
        EXPECT_EQ(record.at(profile::kFolderPath, k), QStringLiteral("/backup/f%1").arg(k));
        EXPECT_EQ(record.at(profile::kFolderLine, k), QString::number(k % 3 + 1));
    }
}

TEST(ProfileHistoryDate, SystemSeparatorBetweenFourTwoAndTwoDigits) {
    EXPECT_EQ(dateSeparatorOf(QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("/"));
    EXPECT_EQ(dateSeparatorOf(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("."));
    EXPECT_EQ(dateSeparatorOf(QLocale(QLocale::Swedish, QLocale::Sweden)), QStringLiteral("-"));
    // The C locale's short date has only blanks between its fields.
    EXPECT_EQ(dateSeparatorOf(QLocale::c()), QStringLiteral("/"));
    EXPECT_EQ(lastUsedText(QDate(2026, 3, 7), QStringLiteral("/")), QStringLiteral("2026/03/07"));
    EXPECT_EQ(lastUsedText(QDate(987, 11, 30), QStringLiteral(".")), QStringLiteral("0987.11.30"));
}

} // namespace
} // namespace pelto::test
