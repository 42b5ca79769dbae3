// The example profile file of README.md, with its folders moved into a temporary folder, is read
// into the profile table, the profile list and the history exactly.

#include "ProfileFixture.h"

#include "profiles/ProfileTables.h"

#include <QFileInfo>

namespace pelto::test {
namespace {

// The lines of the first ```ini block of the README's "Profiles" section.
QStringList readmeExample() {
    const QString readme =
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../README.md"));
    const QStringList lines = readTextLines(readme);
    const qsizetype section = lines.indexOf(QStringLiteral("## Profiles"));
    if (section < 0)
        return {};
    const qsizetype begin = lines.indexOf(QStringLiteral("```ini"), section);
    const qsizetype end = lines.indexOf(QStringLiteral("```"), begin);
    if (begin < 0 || end < 0)
        return {};
    return lines.mid(begin + 1, end - begin - 1);
}

class ReadmeExampleTest : public ProfileTest {
protected:
    QString moved(const QString& line) const {
        return QString(line)
            .replace(QStringLiteral("/home/me"), root() + QStringLiteral("/home/me"))
            .replace(QStringLiteral("/media"), root() + QStringLiteral("/media"));
    }
    // How the profile list shows a path longer than 20 characters.
    QString shown(const QString& tail) const {
        return root().left(3) + QStringLiteral("...") + tail;
    }
};

TEST_F(ReadmeExampleTest, ExampleReadsIntoTableListAndHistory) {
    const QStringList example = readmeExample();
    ASSERT_FALSE(example.isEmpty()) << "README.md has no ```ini example under ## Profiles";
    QStringList file;
    for (const QString& line : example)
        file.append(moved(line));
    writeIni(file);
    for (const char* f : {"home/me/Documents", "home/me/My Pictures", "home/me/Music",
                          "home/me/Mail", "media/backup/Documents", "media/backup/My Pictures",
                          "media/backup/Music", "media/usb/Mail"})
        folder(QString::fromLatin1(f));

    form().numbered = true;
    ASSERT_TRUE(load());
    EXPECT_EQ(form().captions(),
              QStringList({QStringLiteral("&1 Documents"), QStringLiteral("&2 Mail")}));

    ASSERT_TRUE(read(QStringLiteral("Documents")));
    EXPECT_FALSE(g().gbErrorFlag);
    const QStringList lines = file.mid(2, 3);
    const QString r = root();
    const QString sub = QStringLiteral("  subdirs   ");
    const QString none(12, u' ');
    struct Row {
        QString source, subdirs, destination, excludes;
    };
    const Row rows[] = {
        {r + "/home/me/Documents", sub, r + "/media/backup/Documents", "exclude *.tmp ~$* /cache*"},
        {r + "/home/me/My Pictures", sub, r + "/media/backup/My Pictures", ""},
        {r + "/home/me/Music", none, r + "/media/backup/Music", ""},
    };
    for (int n = 1; n <= 3; ++n) {
        const Row& row = rows[n - 1];
        EXPECT_EQ(profileField(profile::kLine, n), lines[n - 1]);
        EXPECT_EQ(profileField(profile::kSource, n), row.source);
        EXPECT_EQ(profileField(profile::kSubdirs, n), row.subdirs);
        EXPECT_EQ(profileField(profile::kDestination, n), row.destination);
        EXPECT_EQ(profileField(profile::kExcludes, n), row.excludes);
    }
    EXPECT_EQ(profileField(profile::kLine, 4), QString());
    EXPECT_EQ(form().list.items(),
              QStringList({shown("e/me/Documents") + sub + shown("ckup/Documents") +
                               "exclude *.tmp ~$* /cache*",
                           shown("me/My Pictures") + sub + shown("up/My Pictures"),
                           shown("/home/me/Music") + none + shown("a/backup/Music")}));

    EXPECT_EQ(stored(QStringLiteral("Settings"), QStringLiteral("NumProfiles")),
              QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("Description")),
              QStringLiteral("Documents"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("LinesUsed")),
              QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("TimesUsed")),
              QStringLiteral("0"));
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(stored(QStringLiteral("Profile01"),
                         QStringLiteral("Line%1").arg(n, 2, 10, QLatin1Char('0'))),
                  lines[n - 1]);

    ASSERT_TRUE(read(QStringLiteral("Mail")));
    EXPECT_EQ(form().caption, QStringLiteral("[Mail]"));
    EXPECT_EQ(profileField(profile::kExcludes, 1),
              QStringLiteral("exclude *.lock \"sent items*\""));
    EXPECT_EQ(form().list.count(), 1);
    EXPECT_EQ(g().giProfileEntry, 2);
    EXPECT_EQ(g().goReg->Section(), QStringLiteral("Profile02"));
}

} // namespace
} // namespace pelto::test
