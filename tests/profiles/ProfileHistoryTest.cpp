// The usage history of profiles: new, unchanged and changed lines, entries past 99, the section.
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
    // The entry's values and lines, and the line after them (must be gone).
    QStringList entry(const QString& section, int lines) const {
        QStringList out;
        for (const char* key : {"Description", "TimesUsed", "LastUsed", "LinesUsed"})
            out << stored(section, key);
        for (int n = 1; n <= lines + 1; ++n)
            out << stored(section, QStringLiteral("Line%1").arg(n, 2, 10, QChar('0')));
        return out;
    }
    static QString date(QDate d) { return lastUsedText(d, dateSeparatorOf(QLocale::system())); }

    const QStringList two{"/home/me/a /backup/a subdirs", "/home/me/b /backup/b exclude *.tmp"};
};

TEST_F(ProfileHistoryTest, ChangedLinesRewriteTheEntryAndStartItsCountAgain) {
    // Characters the store escapes still compare equal.
    const QStringList odd{"/a,b;c /d=e#f exclude \"x y\" *.tmp", "/caf\u00e9\\x /%41 \"q\" , ;  "};
    const struct {
        const char* name;
        QStringList before, after;
        const char* timesUsed;
    } cases[] = {
        {"Unchanged", two, two, "3"},
        {"Edited", two, {two[0], "/home/me/b /backup/B"}, "0"},
        {"Shortened", two + QStringList{"/c /d"}, two, "0"},
        {"Odd, name; [x]", odd, odd, "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setHistoryDateSource(&ProfileTest::fixedToday);
        ASSERT_TRUE(store(c.name, c.before));
        const QString section = g().goReg->Section();
        save(section, "TimesUsed", "3");
        setHistoryDateSource([] { return QDate(2026, 12, 31); });
        ASSERT_TRUE(store(c.name, c.after));
        EXPECT_EQ(entry(section, static_cast<int>(c.after.size())),
                  QStringList({c.name, c.timesUsed, date(QDate(2026, 12, 31)),
                               QString::number(c.after.size())}) +
                      c.after + QStringList{QString()});
    }
    EXPECT_EQ(stored("Settings", "NumProfiles"), "4");
}

TEST_F(ProfileHistoryTest, NewNamesGetAnEntryAndKnownOnesAreFoundAgainWithTheirSectionCurrent) {
    ASSERT_TRUE(store("A", two));
    EXPECT_EQ(entry("Profile01", 2),
              (QStringList{"A", "0", date(fixedToday()), "2", two[0], two[1], QString()}));
    ASSERT_TRUE(store("B", {"/x /y"}));
    save("Profile01", "TimesUsed", "2");
    ASSERT_TRUE(store("A", two));
    EXPECT_EQ(g().giProfileEntry, 1);
    EXPECT_EQ(g().goReg->Section(), "Profile01"); // the check reads and raises TimesUsed there
    EXPECT_EQ(stored("Profile01", "TimesUsed"), "2");

    save("Settings", "NumProfiles", "99");
    ASSERT_TRUE(store("New", two));
    EXPECT_EQ(stored("Settings", "NumProfiles"), "100");
    EXPECT_EQ(stored("Profile100", "Description"), "New");
    EXPECT_EQ(g().goReg->Section(), "Profile100");
}

} // namespace
} // namespace pelto::test
