// Reading the profile file: menu entries at a load, one section into the profile table, the
// profile list and the history, every failure with its message, and the README's example.
#include "ProfileFixture.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace pelto::test {
namespace {

class ReadIniTest : public ProfileTest {
protected:
    // The texts of the notice boxes logged messages showed.
    QStringList notices() {
        QStringList shown;
        for (const ShownBox& box : dialogs().shown())
            if (box.title == QLatin1StringView("Pelto Error"))
                shown.append(box.text);
        return shown;
    }
    // A profile file of one section "P" holding `lines`, loaded.
    void loadSection(const QStringList& lines) {
        writeIni(QStringList{"[P]"} + lines);
        ASSERT_TRUE(load());
    }
};

const QString kSkipped = "Bad line in INI file, Record being skipped:\r\n";

TEST_F(ReadIniTest, LoadMakesAnEntryOfEverySectionAndReportsHalfHeaders) {
    EXPECT_TRUE(load()); // no file: no entries and no message
    EXPECT_EQ(form().menu.UBound(), 0);
    writeIni({"; a comment", "/a /b", "Backup"});
    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Ok).then(BoxAnswer::Ok);
    EXPECT_FALSE(load());
    EXPECT_TRUE(g().gbErrorFlag);

    // LF and CR LF line ends; a file that is no UTF-8 reads as Western (1252).
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Backup\n[B\xfcro]\r\nMusic]\n; [Commented\n/home/me/Music [old] /backup/x]\r\n"
               "  [Caf\xe9 \x80]  \n");
    file.close();
    g().gbErrorFlag = false;
    EXPECT_TRUE(load());
    EXPECT_FALSE(g().gbErrorFlag);
    EXPECT_EQ(form().captions(), QStringList({"&1 B\u00fcro", "&2 Caf\u00e9 \u20ac"}));
    EXPECT_EQ(notices(),
              QStringList({"Bad INI file: No INI sections found - probably missing [] characters",
                           kSkipped + "[Backup", kSkipped + "Music]"}));
}

TEST_F(ReadIniTest, ReloadReplacesTheEntriesOfTheRememberedFile) {
    QStringList lines;
    for (int k = 1; k <= 12; ++k)
        lines << QStringLiteral("[P%1]").arg(k) << "/a /b";
    writeIni(lines);
    ASSERT_TRUE(load());
    EXPECT_EQ(profileFilePath(), iniPath());
    EXPECT_EQ(form().menu.caption(12), "&c P12");
    form().numbered = false;
    writeIni(lines + QStringList{"[Thirteen]"});
    ASSERT_TRUE(ReadINI("Reload", form()));
    EXPECT_EQ(g().giProfileCount, 13);
    ASSERT_EQ(form().menu.UBound(), 13);
    EXPECT_EQ(form().menu.caption(10), "P10");
    EXPECT_EQ(form().menu.caption(0), "Dummy Profile");
    for (int k = 1; k <= 13; ++k)
        EXPECT_TRUE(form().menu.isVisible(k));
}

// The example profile file of README.md, its folders moved into the temporary folder, is read
// into the profile table, the profile list and the history as the README describes.
TEST_F(ReadIniTest, ReadmeExampleReadsIntoTableListAndHistory) {
    // __FILE__ may be relative to the build folder, the parent of the test program's folder.
    const QString source = QDir(QCoreApplication::applicationDirPath() + "/..").filePath(__FILE__);
    const QStringList readme = readTextLines(QFileInfo(source).dir().filePath("../../README.md"));
    const qsizetype begin = readme.indexOf("```ini", readme.indexOf("## Profiles"));
    const qsizetype end = readme.indexOf("```", begin);
    ASSERT_TRUE(begin >= 0 && end > begin) << "README.md has no ```ini example under ## Profiles";
    QStringList file = readme.mid(begin + 1, end - begin - 1);
    const QString r = root();
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
    const QString sub = "  subdirs   ";
    const QString none(12, u' ');
    const QStringList rows[] = {
        {"Documents", sub, "backup/Documents", "exclude *.tmp ~$* /cache*"},
        {"My Pictures", sub, "backup/My Pictures", ""},
        {"Music", none, "backup/Music", ""},
    };
    for (int n = 1; n <= 3; ++n) {
        const QStringList& row = rows[n - 1];
        EXPECT_EQ(profileField(profile::kLine, n), file[n + 1]);
        EXPECT_EQ(stored("Profile01", QStringLiteral("Line0%1").arg(n)), file[n + 1]);
        EXPECT_EQ(profileField(profile::kSource, n), r + "/home/me/" + row[0]);
        EXPECT_EQ(profileField(profile::kSubdirs, n), row[1]);
        EXPECT_EQ(profileField(profile::kDestination, n), r + "/media/" + row[2]);
        EXPECT_EQ(profileField(profile::kExcludes, n), row[3]);
    }
    EXPECT_EQ(profileField(profile::kLine, 4), QString());
    // Paths longer than 20 characters show their first 3 and last 14.
    const QString head = r.left(3) + "...";
    EXPECT_EQ(form().list.items(),
              QStringList({head + "e/me/Documents" + sub + head + "ckup/Documents" + rows[0][3],
                           head + "me/My Pictures" + sub + head + "up/My Pictures",
                           head + "/home/me/Music" + none + head + "a/backup/Music"}));
    EXPECT_EQ(stored("Profile01", "Description"), "Documents");

    ASSERT_TRUE(read("Mail"));
    EXPECT_EQ(form().caption, "[Mail]");
    EXPECT_EQ(profileField(profile::kExcludes, 1), "exclude *.lock \"sent items*\"");
    EXPECT_EQ(form().list.count(), 1);
}

TEST_F(ReadIniTest, SectionEndsAtAnyHeaderAndNamesAreCaseSensitiveNeverLeavingOldLinesInForce) {
    const QString a = folder("a");
    writeIni({"[Backup]", a + "\t" + a, " /not/a/line /x", "  [Indented]  ", a + " " + a,
              "[Backup]", "/later /duplicate"});
    ASSERT_TRUE(load());
    ASSERT_TRUE(read("Backup")); // tabs read as blanks, a blank-indented line is skipped
    EXPECT_EQ(tableLines(2), QStringList({a + " " + a, QString()}));
    EXPECT_EQ(stored("Profile01", "Line01"), a + " " + a);
    ASSERT_TRUE(read("Indented"));
    EXPECT_EQ(form().list.count(), 1);

    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Ok);
    EXPECT_FALSE(read("backup"));
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(form().list.count(), 0);
    EXPECT_EQ(profileField(profile::kLine, 1), QString());
    EXPECT_EQ(stored("Settings", "NumProfiles"), "2");
    QFile::remove(iniPath());
    EXPECT_FALSE(read("Backup"));
    EXPECT_EQ(notices(), QStringList({"Bad INI file: Profile section not found: [backup]",
                                      "INI file not found: " + iniPath()}));
}

TEST_F(ReadIniTest, BadLinesStopTheReadingKeepingTheLinesBefore) {
    const QString a = folder("a");
    const QString good = a + " " + a;
    const struct {
        QStringList lines;
        QString notice;
        QStringList table; // the table's first lines afterwards
        int listed;
    } cases[] = {
        // A blank-indented line is ignored, a tab-indented one fails the column rule.
        {{good, " " + good, "\t" + good, good},
         "Bad line in INI file: Expected / in column 1 " + good,
         {good, " " + good},
         1},
        {{a + "/b/c subdirs"},
         "Bad line in INI file: Destination drive not found" + a + "/b/c subdirs",
         {},
         0},
        {{path("gone/") + " " + a, good},
         "Source directory not found:" + path("gone"),
         {path("gone/") + " " + a, QString()},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notice.toStdString());
        g().gbErrorFlag = false;
        loadSection(c.lines);
        dialogs().then(BoxAnswer::Ok);
        EXPECT_FALSE(read("P"));
        EXPECT_TRUE(g().gbErrorFlag);
        EXPECT_EQ(notices().last(), c.notice);
        EXPECT_EQ(tableLines(static_cast<int>(c.table.size())), c.table);
        EXPECT_EQ(form().list.count(), c.listed);
        EXPECT_EQ(stored("Settings", "NumProfiles"), QString()); // no history for a failed read
    }
    EXPECT_EQ(profileField(profile::kSource, 1), path("gone"));
}

TEST_F(ReadIniTest, MissingDestinationIsCreatedOnlyWhenTheUserAgrees) {
    const QString a = folder("a");
    const QString agreed = path("new/deep/dest");
    const QString refused = path("nowhere");
    loadSection({a + " " + agreed + " subdirs", a + " " + refused});
    dialogs().then(BoxAnswer::Yes).then(BoxAnswer::No);
    EXPECT_FALSE(read("P"));
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(form().created, QStringList{agreed});
    EXPECT_TRUE(QDir(agreed).exists());
    EXPECT_FALSE(QDir(refused).exists());
    EXPECT_EQ(profileField(profile::kDestination, 2), refused);
    const ShownBox& box = dialogs().shown().first();
    EXPECT_TRUE(box.title == "ReadINI error" && box.buttons == BoxButtons::YesNo &&
                box.icon == BoxIcon::Critical);
    EXPECT_EQ(box.text, "Destination directory not found:\r\n" + agreed +
                            "\r\nWould you like to create the directory?");
    // The log keeps the condition without a box of its own.
    EXPECT_TRUE(diag::messageLog().text().contains("Destination directory not found:" + agreed));
}

TEST_F(ReadIniTest, TableGrowsByTenAndABadExclusionStillReadsTheRest) {
    const QString a = folder("a");
    QStringList lines{a + " " + a + " exclude a#b"};
    for (int n = 2; n <= 25; ++n)
        lines.append(a + " " + folder(QStringLiteral("d%1").arg(n)) + " exclude *.tmp");
    loadSection(lines);
    dialogs().then(BoxAnswer::Ok);
    read("P");
    EXPECT_TRUE(g().gbErrorFlag);
    ASSERT_EQ(dialogs().shown().size(), 1);
    EXPECT_TRUE(dialogs().shown().first().text.contains("exclude a#b"));
    EXPECT_EQ(g().gasProfile.upperBound(), 30);
    EXPECT_EQ(tableLines(25), lines);
    EXPECT_EQ(form().list.count(), 25);
    EXPECT_EQ(stored("Profile01", "Line25"), lines.last());
}

} // namespace
} // namespace pelto::test
