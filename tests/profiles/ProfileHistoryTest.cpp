// The usage history of profiles in a settings store in a temporary folder: first use, unchanged,
// edited, shortened, grown and hand-edited profiles, entry numbers past 99, the section left
// current for the check and the copy, and the record of folders created under a profile.
#include "ProfileFixture.h"

namespace pelto::test {
namespace {

class ProfileHistoryTest : public ProfileTest {
protected:
    // Stores the lines as a read of the profile file puts them into the profile table.
    static bool store(const QString& name, const QStringList& lines) {
        profile::newProfileTables();
        for (int n = 1; n <= lines.size(); ++n) {
            profile::growProfileTable(n);
            g().gasProfile.set(profile::kLine, n, lines[n - 1]);
        }
        return StoreProfiles(name, static_cast<qint16>(lines.size()));
    }
    static void save(const QString& section, const QString& key, const QString& value) {
        g().goReg->setSection(section);
        g().goReg->setKey(key);
        g().goReg->setSettings(value);
        g().goReg->SaveReg();
    }
    static QString date(const QDate& day) {
        return lastUsedText(day, dateSeparatorOf(QLocale::system()));
    }

    const QStringList two{"/home/me/a /backup/a subdirs", "/home/me/b /backup/b exclude *.tmp"};
    const QStringList three = two + QStringList{"/c /d"};
};

TEST_F(ProfileHistoryTest, ChangedLinesRewriteTheEntryAndStartItsCountAgain) {
    const QStringList edited{two[0], "/home/me/b /backup/B"};
    // Characters the store escapes still compare equal.
    const QStringList odd{"/a,b;c /d=e#f exclude \"x y\" *.tmp", "/caf\u00e9\\x /%41 \"q\" , ;  "};
    const struct {
        const char* name;
        QStringList before, after;
        const char* timesUsed;
    } cases[] = {
        {"Unchanged", two, two, "3"},
        {"Edited", two, edited, "0"},
        {"Shortened", three, two, "0"},
        {"Grown", two, three, "0"},
        {"Odd, name; [x]", odd, odd, "3"},
        {"Hand-edited", three, {two[0]}, "0"}, // its Line03 deleted by hand before
    };
    for (const auto& c : cases) {
        setHistoryDateSource(&ProfileTest::fixedToday);
        ASSERT_TRUE(store(c.name, c.before));
        const QString section = g().goReg->Section();
        save(section, "TimesUsed", "3");
        if (c.after.size() == 1) {
            g().goReg->setKey("Line03");
            g().goReg->DelReg();
        }
        setHistoryDateSource([] { return QDate(2026, 12, 31); });
        ASSERT_TRUE(store(c.name, c.after));
        SCOPED_TRACE(c.name);
        EXPECT_EQ(stored(section, "TimesUsed"), c.timesUsed);
        EXPECT_EQ(stored(section, "LinesUsed"), QString::number(c.after.size()));
        for (int n = 1; n <= c.after.size(); ++n)
            EXPECT_EQ(stored(section, QStringLiteral("Line%1").arg(n, 2, 10, QChar('0'))),
                      c.after[n - 1]);
        // A surplus line is deleted from the store, not kept as an empty value.
        g().goReg->setSection(section);
        g().goReg->setKey(QStringLiteral("Line%1").arg(c.after.size() + 1, 2, 10, QChar('0')));
        EXPECT_THROW(g().goReg->DelReg(), RuntimeError);
        EXPECT_EQ(stored(section, "LastUsed"), date(QDate(2026, 12, 31)));
        EXPECT_FALSE(g().gbErrorFlag);
    }
    EXPECT_EQ(stored("Settings", "NumProfiles"), "6");
}

TEST_F(ProfileHistoryTest, NewNamesGetAnEntryAndKnownOnesAreFoundAgainWithTheirSectionCurrent) {
    ASSERT_TRUE(store("A", two));
    const QStringList first{"A", "0", date(fixedToday()), "2", two[0], two[1]};
    QStringList written;
    for (const char* key :
         {"Description", "TimesUsed", "LastUsed", "LinesUsed", "Line01", "Line02"})
        written.append(stored("Profile01", key));
    EXPECT_EQ(written, first);
    ASSERT_TRUE(store("B", {"/x /y"}));
    save("Profile01", "TimesUsed", "2");
    ASSERT_TRUE(store("A", two));
    EXPECT_EQ(g().giProfileEntry, 1);
    // What the check reads next, without setting a section.
    g().goReg->setKey("TimesUsed");
    g().goReg->GetReg();
    EXPECT_EQ(g().goReg->Settings(), "2");

    save("Settings", "NumProfiles", "99");
    ASSERT_TRUE(store("New", two));
    EXPECT_EQ(stored("Settings", "NumProfiles"), "100");
    EXPECT_EQ(stored("Profile100", "Description"), "New");
    EXPECT_EQ(g().giProfileEntry, 100);
    EXPECT_EQ(g().goReg->Section(), "Profile100");
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(ProfileHistoryTest, FolderRecordGrowsAndKeepsEachFolderWithItsLine) {
    store("Backup", two);
    ASSERT_EQ(g().gasFolderProfile.upperBound(), 10);
    for (int k = 1; k <= 12; ++k) {
        g().giProfileLine = static_cast<qint16>(k % 3 + 1);
        ASSERT_TRUE(StoreFolderProfile(QStringLiteral("/backup/f%1").arg(k)));
    }
    const TextTable& record = g().gasFolderProfile;
    EXPECT_EQ(record.at(profile::kFolderLine, 0), "12");
    EXPECT_EQ(record.upperBound(), 20);
    for (int k = 1; k <= 12; ++k) {
        EXPECT_EQ(record.at(profile::kFolderPath, k), QStringLiteral("/backup/f%1").arg(k));
        EXPECT_EQ(record.at(profile::kFolderLine, k), QString::number(k % 3 + 1));
    }
}

TEST(ProfileHistoryDate, SystemSeparatorBetweenFourTwoAndTwoDigits) {
    EXPECT_EQ(dateSeparatorOf(QLocale(QLocale::English, QLocale::UnitedStates)), "/");
    EXPECT_EQ(dateSeparatorOf(QLocale(QLocale::German, QLocale::Germany)), ".");
    EXPECT_EQ(dateSeparatorOf(QLocale(QLocale::Swedish, QLocale::Sweden)), "-");
    EXPECT_EQ(dateSeparatorOf(QLocale::c()), "/"); // its short date has only blanks
    EXPECT_EQ(lastUsedText(QDate(2026, 3, 7), "/"), "2026/03/07");
    EXPECT_EQ(lastUsedText(QDate(987, 11, 30), "."), "0987.11.30");
}

} // namespace
} // namespace pelto::test
