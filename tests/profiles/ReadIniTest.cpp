// Reading the profile file: menu entries at a load, one section into the profile table, the
// profile list and the history, and every failure with its message.

#include "ProfileFixture.h"

#include "profiles/ProfileTables.h"

#include <QCoreApplication>

namespace pelto::test {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

class ReadIniTest : public ProfileTest {
protected:
    // Scripts the notice box a logged message shows and checks its text afterwards.
    void expectNotice(const QString& text) {
        dialogs().then(BoxAnswer::Ok);
        expectedNotices_.append(text);
    }
    // Boxes nobody scripted fail the test by themselves; this checks the texts of those expected.
    void checkNotices() {
        if (expectedNotices_.isEmpty())
            return;
        QStringList shown;
        for (const ShownBox& box : dialogs().shown()) {
            if (box.title == QLatin1StringView("Pelto Error"))
                shown.append(box.text);
        }
        EXPECT_EQ(shown, expectedNotices_);
    }
    void TearDown() override {
        checkNotices();
        ProfileTest::TearDown();
    }

    QStringList tableLines(int count) const {
        QStringList out;
        for (int n = 1; n <= count; ++n)
            out.append(profileField(profile::kLine, n));
        return out;
    }

private:
    QStringList expectedNotices_;
};

TEST_F(ReadIniTest, NoFileMeansNoEntriesNoMessageAndSuccess) {
    EXPECT_TRUE(load());
    EXPECT_EQ(form().menu.UBound(), 0);
    EXPECT_EQ(g().giProfileCount, 0);
    EXPECT_FALSE(g().gbErrorFlag);
    EXPECT_TRUE(dialogs().shown().isEmpty());
}

TEST_F(ReadIniTest, FileWithoutSectionsIsReported) {
    writeIni({QStringLiteral("; a comment"), QStringLiteral("/a /b"), QStringLiteral("Backup")});
    expectNotice(QStringLiteral("Bad INI file: No INI sections found - probably missing [] "
                                "characters"));
    EXPECT_FALSE(load());
    EXPECT_TRUE(g().gbErrorFlag);
}

TEST_F(ReadIniTest, HalfHeadersAreSkippedAndTheOtherSectionsStillLoad) {
    writeIni({QStringLiteral("[Backup"), QStringLiteral("[Photos]"), QStringLiteral("Music]"),
              QStringLiteral("; [Commented"), QStringLiteral("/home/me/Music [old] /backup/x]"),
              QStringLiteral("  [Indented]  ")});
    expectNotice(QStringLiteral("Bad line in INI file, Record being skipped:\r\n[Backup"));
    expectNotice(QStringLiteral("Bad line in INI file, Record being skipped:\r\nMusic]"));
    EXPECT_TRUE(load());
    EXPECT_EQ(form().captions(),
              QStringList({QStringLiteral("&1 Photos"), QStringLiteral("&2 Indented")}));
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(ReadIniTest, TwelveSectionsAreNumberedOneToNineThenByLetters) {
    QStringList lines;
    for (int k = 1; k <= 12; ++k)
        lines << QStringLiteral("[P%1]").arg(k) << QStringLiteral("/a /b");
    writeIni(lines);
    ASSERT_TRUE(load());
    const QStringList expected{"&1 P1", "&2 P2", "&3 P3", "&4 P4",  "&5 P5",  "&6 P6",
                               "&7 P7", "&8 P8", "&9 P9", "&a P10", "&b P11", "&c P12"};
    EXPECT_EQ(form().captions(), expected);
    EXPECT_EQ(g().giProfileCount, 12);
    for (int k = 1; k <= 12; ++k)
        EXPECT_TRUE(form().menu.isVisible(k));

    // Turning numbering off and reloading replaces the entries instead of adding to them.
    form().numbered = false;
    ASSERT_TRUE(ReadINI(QStringLiteral("Reload"), form()));
    EXPECT_EQ(g().giProfileCount, 12);
    ASSERT_EQ(form().menu.UBound(), 12);
    EXPECT_EQ(form().menu.caption(10), QStringLiteral("P10"));
    EXPECT_EQ(form().menu.caption(0), QStringLiteral("Dummy Profile"));
}

TEST_F(ReadIniTest, LoadRemembersTheFileAndTheDefaultLivesBesideTheProgram) {
    resetProfileFile();
    EXPECT_EQ(profileFilePath(), QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) +
                                     QStringLiteral("/Pelto.INI"));
    writeIni({QStringLiteral("[One]")});
    ASSERT_TRUE(load());
    EXPECT_EQ(profileFilePath(), iniPath());
    writeIni({QStringLiteral("[One]"), QStringLiteral("[Two]")});
    ASSERT_TRUE(ReadINI(QStringLiteral("Reload"), form()));
    EXPECT_EQ(form().captions(), QStringList({QStringLiteral("&1 One"), QStringLiteral("&2 Two")}));
    QString folder;
    FixAppPath(folder);
    EXPECT_EQ(folder + QStringLiteral("Pelto.INI"),
              QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) +
                  QStringLiteral("/Pelto.INI"));
}

TEST_F(ReadIniTest, SectionIsReadIntoTableListCaptionAndHistory) {
    const QString src = folder(QStringLiteral("My Documents/Letters"));
    const QString dst = folder(QStringLiteral("backup/Letters"));
    const QString photos = folder(QStringLiteral("Pictures/Holidays 2024"));
    const QString photosDst = folder(QStringLiteral("backup/Pictures"));
    const QString line1 = src + QStringLiteral("/   ") + dst + QStringLiteral("   subdirs");
    const QString line2 =
        photos + QStringLiteral("\t") + photosDst + QStringLiteral(" Exclude *.tmp \"thumbs db\"");
    writeIni({QStringLiteral("[Other]"), QStringLiteral("/x /y"), QStringLiteral("[Backup]"),
              QStringLiteral("; nightly"), line1, QString(), QStringLiteral(" /not/a/line /x"),
              line2, QStringLiteral("[Backup]"), QStringLiteral("/later /duplicate")});
    ASSERT_TRUE(load());

    ASSERT_TRUE(read(QStringLiteral("Backup")));
    EXPECT_FALSE(g().gbErrorFlag);
    EXPECT_EQ(form().caption, QStringLiteral("[Backup]"));
    const QString line2Blanks = QString(line2).replace(u'\t', u' ');
    EXPECT_EQ(tableLines(2), QStringList({line1, line2Blanks}));
    EXPECT_EQ(profileField(profile::kSource, 1), src);
    EXPECT_EQ(profileField(profile::kSubdirs, 1), QStringLiteral("  subdirs   "));
    EXPECT_EQ(profileField(profile::kDestination, 1), dst);
    EXPECT_EQ(profileField(profile::kExcludes, 1), QString());
    EXPECT_EQ(profileField(profile::kSource, 2), photos);
    EXPECT_EQ(profileField(profile::kSubdirs, 2), QString(12, u' '));
    EXPECT_EQ(profileField(profile::kDestination, 2), photosDst);
    EXPECT_EQ(profileField(profile::kExcludes, 2), QStringLiteral("Exclude *.tmp \"thumbs db\""));
    EXPECT_EQ(profileField(profile::kLine, 3), QString());

    // Long paths are shown by their first 3 and last 14 characters.
    ASSERT_EQ(form().list.count(), 2);
    EXPECT_EQ(form().list.item(0), src.left(3) + QStringLiteral("...") + src.right(14) +
                                       QStringLiteral("  subdirs   ") + dst.left(3) +
                                       QStringLiteral("...") + dst.right(14));
    EXPECT_EQ(form().list.item(1).mid(52), QStringLiteral("Exclude *.tmp \"thumbs db\""));

    EXPECT_EQ(g().giProfileEntry, 1);
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("Description")),
              QStringLiteral("Backup"));
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("Line02")), line2Blanks);
    EXPECT_EQ(g().gasFolderProfile.at(profile::kFolderLine, 0), QStringLiteral("0"));
    EXPECT_EQ(g().gasFolderProfile.upperBound(), 10);
}

TEST_F(ReadIniTest, SectionNamesAreCaseSensitiveAndNeverLeaveAnOldProfileInForce) {
    const QString a = folder(QStringLiteral("a"));
    const QString b = folder(QStringLiteral("b"));
    writeIni({QStringLiteral("[Backup]"), a + QStringLiteral(" ") + b});
    ASSERT_TRUE(load());
    ASSERT_TRUE(read(QStringLiteral("Backup")));
    ASSERT_EQ(form().list.count(), 1);

    expectNotice(QStringLiteral("Bad INI file: Profile section not found: [backup]"));
    EXPECT_FALSE(read(QStringLiteral("backup")));
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_EQ(form().list.count(), 0);
    EXPECT_EQ(profileField(profile::kLine, 1), QString());
    EXPECT_EQ(stored(QStringLiteral("Settings"), QStringLiteral("NumProfiles")),
              QStringLiteral("1"));
}

TEST_F(ReadIniTest, MissingFileAtAProfileReadIsReported) {
    writeIni({QStringLiteral("[Backup]")});
    ASSERT_TRUE(load());
    QFile::remove(iniPath());
    expectNotice(QStringLiteral("INI file not found: ") + iniPath());
    EXPECT_FALSE(read(QStringLiteral("Backup")));
    EXPECT_TRUE(g().gbErrorFlag);
}

TEST_F(ReadIniTest, BlankIndentedLinesAreIgnoredTabIndentedOnesFailTheColumnRule) {
    const QString a = folder(QStringLiteral("a"));
    const QString b = folder(QStringLiteral("b"));
    const QString good = a + QStringLiteral(" ") + b;
    writeIni({QStringLiteral("[P]"), good, QStringLiteral(" ") + good, QStringLiteral("\t") + good,
              good});
    ASSERT_TRUE(load());
    expectNotice(QStringLiteral("Bad line in INI file: Expected / in column 1 ") + good);
    EXPECT_FALSE(read(QStringLiteral("P")));
    EXPECT_TRUE(g().gbErrorFlag);
    // The lines read so far stay; the history is not written for a failed read.
    EXPECT_EQ(tableLines(2), QStringList({good, QStringLiteral(" ") + good}));
    EXPECT_EQ(form().list.count(), 1);
    EXPECT_EQ(stored(QStringLiteral("Settings"), QStringLiteral("NumProfiles")), QString());
}

TEST_F(ReadIniTest, LineWithoutDestinationIsReported) {
    const QString a = folder(QStringLiteral("a"));
    writeIni({QStringLiteral("[P]"), a + QStringLiteral("/b/c subdirs")});
    ASSERT_TRUE(load());
    expectNotice(QStringLiteral("Bad line in INI file: Destination drive not found") + a +
                 QStringLiteral("/b/c subdirs"));
    EXPECT_FALSE(read(QStringLiteral("P")));
    EXPECT_TRUE(g().gbErrorFlag);
}

TEST_F(ReadIniTest, MissingSourceStopsTheReading) {
    const QString b = folder(QStringLiteral("b"));
    writeIni({QStringLiteral("[P]"), path(QStringLiteral("gone/")) + QStringLiteral(" ") + b,
              b + QStringLiteral(" ") + b});
    ASSERT_TRUE(load());
    expectNotice(QStringLiteral("Source directory not found:") + path(QStringLiteral("gone")));
    EXPECT_FALSE(read(QStringLiteral("P")));
    EXPECT_EQ(profileField(profile::kSource, 1), path(QStringLiteral("gone")));
    EXPECT_EQ(profileField(profile::kLine, 2), QString());
    EXPECT_EQ(form().list.count(), 0);
}

TEST_F(ReadIniTest, MissingDestinationIsCreatedWhenTheUserAgrees) {
    const QString a = folder(QStringLiteral("a"));
    const QString missing = path(QStringLiteral("new/deep/dest"));
    writeIni({QStringLiteral("[P]"), a + QStringLiteral(" ") + missing + QStringLiteral(" subdirs"),
              a + QStringLiteral(" ") + a});
    ASSERT_TRUE(load());
    dialogs().then(BoxAnswer::Yes);
    ASSERT_TRUE(read(QStringLiteral("P")));
    EXPECT_EQ(form().created, QStringList{missing});
    EXPECT_TRUE(QDir(missing).exists());
    EXPECT_EQ(form().list.count(), 2);
    const ShownBox& box = dialogs().shown().last();
    EXPECT_EQ(box.title, QStringLiteral("ReadINI error"));
    EXPECT_EQ(box.buttons, BoxButtons::YesNo);
    EXPECT_EQ(box.icon, BoxIcon::Critical);
    EXPECT_EQ(box.text, QStringLiteral("Destination directory not found:") + kCrLf + missing +
                            kCrLf + QStringLiteral("Would you like to create the directory?"));
    // The log keeps the condition without a box of its own.
    EXPECT_TRUE(logText().contains(QStringLiteral("Destination directory not found:") + missing));
}

TEST_F(ReadIniTest, MissingDestinationRefusedStopsTheReading) {
    const QString a = folder(QStringLiteral("a"));
    const QString missing = path(QStringLiteral("nowhere"));
    writeIni({QStringLiteral("[P]"), a + QStringLiteral(" ") + missing});
    ASSERT_TRUE(load());
    dialogs().then(BoxAnswer::No);
    EXPECT_FALSE(read(QStringLiteral("P")));
    EXPECT_TRUE(g().gbErrorFlag);
    EXPECT_TRUE(form().created.isEmpty());
    EXPECT_FALSE(QDir(missing).exists());
    EXPECT_EQ(profileField(profile::kDestination, 1), missing);
}

TEST_F(ReadIniTest, IndentedHeaderEndsTheSectionBeforeIt) {
    const QString a = folder(QStringLiteral("a"));
    const QString line = a + QStringLiteral(" ") + a;
    writeIni({QStringLiteral("[First]"), line, QStringLiteral("  [Second]  "), line, line});
    ASSERT_TRUE(load());
    EXPECT_EQ(form().captions(),
              QStringList({QStringLiteral("&1 First"), QStringLiteral("&2 Second")}));
    ASSERT_TRUE(read(QStringLiteral("First")));
    EXPECT_EQ(form().list.count(), 1);
    ASSERT_TRUE(read(QStringLiteral("Second")));
    EXPECT_EQ(form().list.count(), 2);
}

TEST_F(ReadIniTest, TableGrowsByTenKeepingEveryLine) {
    const QString a = folder(QStringLiteral("a"));
    QStringList lines{QStringLiteral("[Many]")};
    for (int n = 1; n <= 25; ++n)
        lines.append(a + QStringLiteral(" ") + folder(QStringLiteral("d%1").arg(n)));
    writeIni(lines);
    ASSERT_TRUE(load());
    ASSERT_TRUE(read(QStringLiteral("Many")));
    EXPECT_EQ(g().gasProfile.upperBound(), 30);
    EXPECT_EQ(tableLines(25), lines.mid(1));
    EXPECT_EQ(form().list.count(), 25);
    EXPECT_EQ(stored(QStringLiteral("Profile01"), QStringLiteral("Line25")), lines.last());
}

TEST_F(ReadIniTest, LinuxLineEndsAndWestern1252BytesAreRead) {
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[B\xfcro]\n[Caf\xe9 \x80]\r\n");
    file.close();
    ASSERT_TRUE(load());
    EXPECT_EQ(form().captions(),
              QStringList({QStringLiteral("&1 B\u00fcro"), QStringLiteral("&2 Caf\u00e9 \u20ac")}));
}

TEST_F(ReadIniTest, BadExclusionIsReportedAndTheRestIsStillRead) {
    const QString a = folder(QStringLiteral("a"));
    const QString bad = a + QStringLiteral(" ") + a + QStringLiteral(" exclude a#b");
    const QString good = a + QStringLiteral(" ") + a + QStringLiteral(" exclude *.tmp");
    writeIni({QStringLiteral("[P]"), bad, good});
    ASSERT_TRUE(load());
    dialogs().then(BoxAnswer::Ok);
    read(QStringLiteral("P"));
    EXPECT_TRUE(g().gbErrorFlag);
    ASSERT_EQ(dialogs().shown().size(), 1);
    EXPECT_TRUE(dialogs().shown().first().text.contains(QStringLiteral("exclude a#b")));
    EXPECT_EQ(tableLines(2), QStringList({bad, good}));
    EXPECT_EQ(form().list.count(), 2);
}

} // namespace
} // namespace pelto::test
