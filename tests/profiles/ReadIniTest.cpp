// Reading the profile file: menu entries at a load, one section into the profile table, the
// profile list and the history, and every failure with its message.
#include "ProfileFixture.h"

#include <QCoreApplication>

namespace pelto::test {
namespace {

class ReadIniTest : public ProfileTest {
protected:
    // Scripts the notice box a logged message shows; TearDown checks the texts shown.
    void expectNotice(const QString& text) {
        dialogs().then(BoxAnswer::Ok);
        expectedNotices_.append(text);
    }
    void TearDown() override {
        if (expectedNotices_.isEmpty()) {
            ProfileTest::TearDown();
            return;
        }
        QStringList shown;
        for (const ShownBox& box : dialogs().shown()) {
            if (box.title == QLatin1StringView("Pelto Error"))
                shown.append(box.text);
        }
        EXPECT_EQ(shown, expectedNotices_);
        ProfileTest::TearDown();
    }
    // A profile file of one section "P" holding `lines`, loaded.
    void loadSection(const QStringList& lines) {
        writeIni(QStringList{"[P]"} + lines);
        ASSERT_TRUE(load());
    }

private:
    QStringList expectedNotices_;
};

TEST_F(ReadIniTest, NoFileMeansNoEntriesNoMessageAndSuccess) {
    EXPECT_TRUE(load());
    EXPECT_EQ(form().menu.UBound(), 0);
    EXPECT_EQ(g().giProfileCount, 0);
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(ReadIniTest, FileWithoutSectionsIsReported) {
    writeIni({"; a comment", "/a /b", "Backup"});
    expectNotice("Bad INI file: No INI sections found - probably missing [] characters");
    EXPECT_FALSE(load());
    EXPECT_TRUE(g().gbErrorFlag);
}

TEST_F(ReadIniTest, HalfHeadersAreSkippedAndTheOtherSectionsStillLoad) {
    writeIni({"[Backup", "[Photos]", "Music]", "; [Commented", "/home/me/Music [old] /backup/x]",
              "  [Indented]  "});
    expectNotice("Bad line in INI file, Record being skipped:\r\n[Backup");
    expectNotice("Bad line in INI file, Record being skipped:\r\nMusic]");
    EXPECT_TRUE(load());
    EXPECT_EQ(form().captions(), QStringList({"&1 Photos", "&2 Indented"}));
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(ReadIniTest, ReloadReplacesTheEntriesOfTheRememberedFile) {
    resetProfileFile();
    const QString besideProgram =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + "/Pelto.INI";
    EXPECT_EQ(profileFilePath(), besideProgram);
    QString folder;
    FixAppPath(folder);
    EXPECT_EQ(folder + "Pelto.INI", besideProgram);

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

TEST_F(ReadIniTest, SectionTakesItsLinesUntilTheNextHeaderSkippingCommentsAndIndentedLines) {
    const QString a = folder("a");
    const QString line1 = a + "   " + a + "   subdirs";
    const QString line2 = a + "\t" + a + " Exclude *.tmp";
    writeIni({"[Other]", "/x /y", "[Backup]", "; nightly", line1, QString(), " /not/a/line /x",
              line2, "  [Indented]  ", a + " " + a, "[Backup]", "/later /duplicate"});
    ASSERT_TRUE(load());
    ASSERT_TRUE(read("Backup"));
    EXPECT_FALSE(g().gbErrorFlag);
    EXPECT_EQ(form().caption, "[Backup]");
    const QString line2Blanks = a + " " + a + " Exclude *.tmp";
    EXPECT_EQ(tableLines(3), QStringList({line1, line2Blanks, QString()}));
    EXPECT_EQ(form().list.count(), 2);
    EXPECT_EQ(stored("Profile01", "Line02"), line2Blanks);
    ASSERT_TRUE(read("Indented"));
    EXPECT_EQ(form().list.count(), 1);
}

TEST_F(ReadIniTest, SectionNamesAreCaseSensitiveAndNeverLeaveAnOldProfileInForce) {
    const QString a = folder("a");
    writeIni({"[Backup]", a + " " + a});
    ASSERT_TRUE(load());
    ASSERT_TRUE(read("Backup"));
    ASSERT_EQ(form().list.count(), 1);

    expectNotice("Bad INI file: Profile section not found: [backup]");
    EXPECT_FALSE(read("backup"));
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(form().list.count(), 0);
    EXPECT_EQ(profileField(profile::kLine, 1), QString());
    EXPECT_EQ(stored("Settings", "NumProfiles"), "1");

    QFile::remove(iniPath());
    expectNotice("INI file not found: " + iniPath());
    EXPECT_FALSE(read("Backup"));
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
        expectNotice(c.notice);
        EXPECT_FALSE(read("P"));
        EXPECT_TRUE(g().gbErrorFlag);
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
    EXPECT_EQ(box.title, "ReadINI error");
    EXPECT_EQ(box.buttons, BoxButtons::YesNo);
    EXPECT_EQ(box.icon, BoxIcon::Critical);
    EXPECT_EQ(box.text, "Destination directory not found:\r\n" + agreed +
                            "\r\nWould you like to create the directory?");
    // The log keeps the condition without a box of its own.
    EXPECT_TRUE(diag::messageLog().text().contains("Destination directory not found:" + agreed));
}

TEST_F(ReadIniTest, TableGrowsByTenKeepingEveryLine) {
    const QString a = folder("a");
    QStringList lines;
    for (int n = 1; n <= 25; ++n)
        lines.append(a + " " + folder(QStringLiteral("d%1").arg(n)));
    loadSection(lines);
    ASSERT_TRUE(read("P"));
    EXPECT_EQ(g().gasProfile.upperBound(), 30);
    EXPECT_EQ(tableLines(25), lines);
    EXPECT_EQ(form().list.count(), 25);
    EXPECT_EQ(stored("Profile01", "Line25"), lines.last());
}

TEST_F(ReadIniTest, LinuxLineEndsAndWestern1252BytesAreRead) {
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[B\xfcro]\n[Caf\xe9 \x80]\r\n");
    file.close();
    ASSERT_TRUE(load());
    EXPECT_EQ(form().captions(), QStringList({"&1 B\u00fcro", "&2 Caf\u00e9 \u20ac"}));
}

TEST_F(ReadIniTest, BadExclusionIsReportedAndTheRestIsStillRead) {
    const QString a = folder("a");
    const QString bad = a + " " + a + " exclude a#b";
    const QString good = a + " " + a + " exclude *.tmp";
    loadSection({bad, good});
    dialogs().then(BoxAnswer::Ok);
    read("P");
    EXPECT_TRUE(g().gbErrorFlag);
    ASSERT_EQ(dialogs().shown().size(), 1);
    EXPECT_TRUE(dialogs().shown().first().text.contains("exclude a#b"));
    EXPECT_EQ(tableLines(2), QStringList({bad, good}));
    EXPECT_EQ(form().list.count(), 2);
}

} // namespace
} // namespace pelto::test
