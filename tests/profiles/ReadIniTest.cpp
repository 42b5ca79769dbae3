// Reading the profile file into the menu, the profile table, list and history; every failure.
#include "ProfileFixture.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace pelto::test {
namespace {

class ReadIniTest : public ProfileTest {
protected:
    // The texts of the notice boxes shown.
    QStringList notices() {
        QStringList shown;
        for (const ShownBox& box : dialogs().shown())
            if (box.title == QLatin1StringView("Pelto Error"))
                shown.append(box.text);
        return shown;
    }
    void loadSection(const QStringList& lines) {
        writeIni(QStringList{"[P]"} + lines);
        ASSERT_TRUE(load());
    }
};

// A load lists every section (a reload the remembered file's); half headers are reported.
TEST_F(ReadIniTest, LoadMakesAnEntryOfEverySectionAndReportsHalfHeaders) {
    EXPECT_TRUE(load()); // no file: no entries and no message
    EXPECT_EQ(form().menu.UBound(), 0);
    writeIni({"; a comment", "/a /b", "Backup"});
    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Ok).then(BoxAnswer::Ok);
    EXPECT_FALSE(load());

    // LF and CR LF line ends; a file that is no UTF-8 reads as Western (1252).
    writeFile(iniPath(), "[Backup\n[B\xfcro]\r\nMusic]\n; [Commented\n/home/me/Music [old] "
                         "/backup/x]\r\n  [Caf\xe9 \x80]  \n");
    EXPECT_TRUE(load());
    EXPECT_EQ(form().captions(), QStringList({"&1 B\u00fcro", "&2 Caf\u00e9 \u20ac"}));
    const QString skipped = "Bad line in INI file, Record being skipped:\r\n";
    EXPECT_EQ(notices(),
              QStringList({"Bad INI file: No INI sections found - probably missing [] characters",
                           skipped + "[Backup", skipped + "Music]"}));
    writeIni({"[1]", "[2]", "[3]", "[4]", "[5]", "[6]", "[7]", "[8]", "[9]", "[A]", "[B]"});
    ASSERT_TRUE(ReadINI("Reload", form()));
    EXPECT_EQ(form().captions().mid(8), (QStringList{"&9 9", "&a A", "&b B"}));
    EXPECT_TRUE(form().menu.isVisible(11));
}

// The README's example profile file, its folders moved into the temporary folder, reads into the
// profile table, the profile list and the history as the README describes.
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
    EXPECT_EQ(form().caption, "[Documents]");

    const QString sub = "  subdirs   ";
    const QString none(12, u' ');
    const QString exclude = "exclude *.tmp ~$* /cache*";
    EXPECT_EQ(tableLines(4), file.mid(2, 3) + QStringList{QString()});
    EXPECT_EQ(
        tableLines(3, profile::kSource),
        (QStringList{r + "/home/me/Documents", r + "/home/me/My Pictures", r + "/home/me/Music"}));
    EXPECT_EQ(tableLines(3, profile::kSubdirs), (QStringList{sub, sub, none}));
    EXPECT_EQ(tableLines(3, profile::kDestination),
              (QStringList{r + "/media/backup/Documents", r + "/media/backup/My Pictures",
                           r + "/media/backup/Music"}));
    EXPECT_EQ(tableLines(3, profile::kExcludes), (QStringList{exclude, "", ""}));
    // Paths longer than 20 characters show their first 3 and last 14.
    const QString head = r.left(3) + "...";
    EXPECT_EQ(form().list.items(),
              QStringList({head + "e/me/Documents" + sub + head + "ckup/Documents " + exclude,
                           head + "me/My Pictures" + sub + head + "up/My Pictures",
                           head + "/home/me/Music" + none + head + "a/backup/Music"}));
    EXPECT_EQ(stored("Profile01", "Line03"), file[4]);
}

// Section names are case-sensitive; a read that fails leaves none of the old lines in force.
TEST_F(ReadIniTest, NamesAreCaseSensitiveAndAFailedReadLeavesNoOldLinesInForce) {
    const QString a = folder("a");
    writeIni({"[Backup]", a + "\t" + a, "  [Indented]  ", a + " " + a});
    ASSERT_TRUE(load());
    ASSERT_TRUE(read("Backup")); // up to the indented header, tabs read as blanks
    EXPECT_EQ(tableLines(2), QStringList({a + " " + a, QString()}));
    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Ok);
    EXPECT_FALSE(read("backup"));
    EXPECT_EQ(form().list.count(), 0);
    EXPECT_EQ(profileField(profile::kLine, 1), QString());
    QFile::remove(iniPath());
    EXPECT_FALSE(read("Backup"));
    EXPECT_EQ(notices(), QStringList({"Bad INI file: Profile section not found: [backup]",
                                      "INI file not found: " + iniPath()}));
}

// A bad line stops the reading with its message, keeps the lines before, and stores no history.
TEST_F(ReadIniTest, BadLinesStopTheReadingKeepingTheLinesBefore) {
    const QString a = folder("a");
    const QString good = a + " " + a;
    const QString gone = path("gone/") + " " + a;
    const QString bad = "Bad line in INI file: ";
    const QString noDrive = a + "/b/c subdirs";
    folder("B");
    // A blank-indented line is ignored, a tab-indented one fails the column rule.
    const QStringList tabbed{good, " " + good, "\t" + good};
    // The lines, the message, the table's first lines after, the number listed.
    const std::tuple<QStringList, QString, QStringList, int> cases[] = {
        {tabbed, bad + "Expected / in column 1 " + good, tabbed.mid(0, 2), 1},
        {{noDrive}, bad + "Destination drive not found" + noDrive, {noDrive}, 0},
        {{gone, good}, "Source directory not found:" + path("gone"), {gone, ""}, 0},
        // A folder whose name differs only in letter case does not stand in for the source.
        {{path("b") + " " + a},
         "Source directory not found:" + path("b"),
         {path("b") + " " + a},
         0},
    };
    for (const auto& [lines, notice, table, listed] : cases) {
        SCOPED_TRACE(notice.toStdString());
        loadSection(lines);
        dialogs().then(BoxAnswer::Ok);
        EXPECT_FALSE(read("P"));
        EXPECT_EQ(notices().last(), notice);
        EXPECT_EQ(tableLines(static_cast<int>(table.size())), table);
        EXPECT_EQ(form().list.count(), listed);
    }
    EXPECT_EQ(stored("Settings", "NumProfiles"), QString());
}

TEST_F(ReadIniTest, MissingDestinationIsCreatedOnlyWhenTheUserAgrees) {
    const QString a = folder("a");
    const QString agreed = path("new/deep/dest");
    folder("NOWHERE"); // differs only in letter case: it does not stand in for "nowhere"
    loadSection({a + " " + agreed + " subdirs", a + " " + path("nowhere")});
    dialogs().then(BoxAnswer::Yes).then(BoxAnswer::No);
    EXPECT_FALSE(read("P"));
    EXPECT_EQ(form().created, QStringList{agreed});
    EXPECT_TRUE(QDir(agreed).exists());
    const ShownBox& box = dialogs().shown().first();
    EXPECT_EQ(box.buttons, BoxButtons::YesNo);
    EXPECT_EQ(box.text, "Destination directory not found:\r\n" + agreed +
                            "\r\nWould you like to create the directory?");
}

TEST_F(ReadIniTest, BadExclusionIsReportedAndTheRestStillRead) {
    const QString a = folder("a");
    const QStringList lines{a + " " + a + " exclude a#b", a + " " + folder("b")};
    loadSection(lines);
    dialogs().then(BoxAnswer::Ok);
    read("P");
    ASSERT_EQ(dialogs().shown().size(), 1);
    EXPECT_TRUE(dialogs().shown().first().text.contains("exclude a#b"));
    EXPECT_EQ(tableLines(2), lines);
    EXPECT_EQ(form().list.count(), 2);
}

} // namespace
} // namespace pelto::test
