// The example profile file of README.md, with its folders moved into a temporary folder, is read
// into the profile table, the profile list and the history exactly.
#include "ProfileFixture.h"

#include <QFileInfo>

namespace pelto::test {
namespace {

// The lines of the first ```ini block of the README's "Profiles" section.
QStringList readmeExample() {
    const QStringList lines = readTextLines(
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../README.md")));
    const qsizetype begin = lines.indexOf("```ini", lines.indexOf("## Profiles"));
    const qsizetype end = lines.indexOf("```", begin);
    return begin < 0 || end < 0 ? QStringList() : lines.mid(begin + 1, end - begin - 1);
}

TEST_F(ProfileTest, ReadmeExampleReadsIntoTableListAndHistory) {
    const QString r = root();
    QStringList file = readmeExample();
    ASSERT_FALSE(file.isEmpty()) << "README.md has no ```ini example under ## Profiles";
    for (QString& line : file)
        line.replace("/home/me", r + "/home/me").replace("/media", r + "/media");
    writeIni(file);
    for (const char* f : {"home/me/Documents", "home/me/My Pictures", "home/me/Music",
                          "home/me/Mail", "media/backup/Documents", "media/backup/My Pictures",
                          "media/backup/Music", "media/usb/Mail"})
        folder(f);

    ASSERT_TRUE(load());
    EXPECT_EQ(form().captions(), QStringList({"&1 Documents", "&2 Mail"}));
    ASSERT_TRUE(read("Documents"));
    EXPECT_FALSE(g().gbErrorFlag);
    const QStringList lines = file.mid(2, 3);
    const QString sub = "  subdirs   ";
    const QString none(12, u' ');
    const QStringList rows[] = {
        {r + "/home/me/Documents", sub, r + "/media/backup/Documents", "exclude *.tmp ~$* /cache*"},
        {r + "/home/me/My Pictures", sub, r + "/media/backup/My Pictures", ""},
        {r + "/home/me/Music", none, r + "/media/backup/Music", ""},
    };
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(profileField(profile::kLine, n), lines[n - 1]);
        EXPECT_EQ(profileField(profile::kSource, n), rows[n - 1][0]);
        EXPECT_EQ(profileField(profile::kSubdirs, n), rows[n - 1][1]);
        EXPECT_EQ(profileField(profile::kDestination, n), rows[n - 1][2]);
        EXPECT_EQ(profileField(profile::kExcludes, n), rows[n - 1][3]);
        EXPECT_EQ(stored("Profile01", QStringLiteral("Line0%1").arg(n)), lines[n - 1]);
    }
    EXPECT_EQ(profileField(profile::kLine, 4), QString());
    // Paths longer than 20 characters show their first 3 and last 14.
    const QString head = r.left(3) + "...";
    EXPECT_EQ(form().list.items(),
              QStringList({head + "e/me/Documents" + sub + head + "ckup/Documents" +
                               "exclude *.tmp ~$* /cache*",
                           head + "me/My Pictures" + sub + head + "up/My Pictures",
                           head + "/home/me/Music" + none + head + "a/backup/Music"}));
    EXPECT_EQ(stored("Settings", "NumProfiles"), "1");
    EXPECT_EQ(stored("Profile01", "Description"), "Documents");
    EXPECT_EQ(stored("Profile01", "LinesUsed"), "3");
    EXPECT_EQ(stored("Profile01", "TimesUsed"), "0");

    ASSERT_TRUE(read("Mail"));
    EXPECT_EQ(form().caption, "[Mail]");
    EXPECT_EQ(profileField(profile::kExcludes, 1), "exclude *.lock \"sent items*\"");
    EXPECT_EQ(form().list.count(), 1);
    EXPECT_EQ(g().giProfileEntry, 2);
    EXPECT_EQ(g().goReg->Section(), "Profile02");
}

} // namespace
} // namespace pelto::test
