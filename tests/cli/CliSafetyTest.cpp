// pelto-cli refuses unsafe folder pairs before touching anything, and answers the questions it
// cannot ask with the cautious choice.
#include "CliSandbox.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelto::cli::test {
namespace {

class CliSafetyTest : public MixedTreeTest {
protected:
    // A production sync answering Yes is refused naming `message`; only the error log changes.
    void expectRefused(const QStringList& arguments, const QString& message) {
        SCOPED_TRACE(message.toStdString());
        auto before = snapshot(box.path({}));
        const CliResult result = box.run(QStringList{"sync", "--production", "--yes"} + arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.contains(message)) << qPrintable(result.err);
        EXPECT_EQ(result.out, QString());
        EXPECT_TRUE(box.errorLog().contains(message));
        auto after = snapshot(box.path({}));
        before.remove("bin/Error Log.txt");
        after.remove("bin/Error Log.txt");
        EXPECT_EQ(after, before);
    }
    const QString real = QFileInfo(box.path({})).canonicalFilePath() + "/src"; // links resolved
};

TEST_F(CliSafetyTest, OverlappingIdenticalOrMissingFoldersAreRefusedBeforeAnythingIsTouched) {
    const QString inside = "The destination folder lies inside the source folder: ";
    // Even a destination whose last two folders do not exist yet.
    expectRefused({src, src + "/backup/daily"}, inside + real + "/backup/daily is inside " + real);
    expectRefused({src + "/sub", src}, "The source folder lies inside the destination folder: " +
                                           real + "/sub is inside " + real);
    // The same folder in another letter case, with dot folders and a trailing separator.
    expectRefused({src, box.path("SRC/./sub/../")},
                  "Source and destination are the same folder: " + real);
    ASSERT_TRUE(QFile::link(src + "/sub", box.path("inner"))); // a link into the source
    expectRefused({src, box.path("inner")}, inside + real + "/sub is inside " + real);
    expectRefused({box.path("nowhere"), dst}, "Source directory not found:" + box.path("nowhere"));
    // A profile line is refused before the reader would create its destination.
    box.write("my.ini", ("[Inner]\n" + src + "   " + src + "/copy   subdirs\n").toUtf8());
    expectRefused({"--profile", "Inner", "--ini", box.path("my.ini")},
                  inside + real + "/copy is inside " + real);
    // A sibling whose name extends the source is not inside it.
    box.makeFolder("src2");
    EXPECT_EQ(box.run({"check", src, src + '2'}).exitCode, 1);
}

// A bind mount of one folder at another path, undone when the object goes.
class BindMount {
public:
    BindMount(const QString& folder, const QString& at) : at_(QFile::encodeName(at)) {
        mounted_ = ::geteuid() == 0 && ::mount(QFile::encodeName(folder).constData(),
                                               at_.constData(), nullptr, MS_BIND, nullptr) == 0;
    }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;
    ~BindMount() {
        if (mounted_)
            ::umount2(at_.constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    QByteArray at_;
    bool mounted_ = false;
};

TEST_F(CliSafetyTest, ABindMountOfTheSourceCannotHideAnOverlap) {
    box.makeFolder("b");
    const BindMount bind(src, box.path("b"));
    if (!bind.mounted())
        GTEST_SKIP() << "needs root and bind mounts";
    const QString b = QFileInfo(box.path("b")).canonicalFilePath();
    expectRefused({src, b}, "Source and destination are the same folder: " + real);
    expectRefused({src, b + "/inner"}, "The destination folder lies inside the source folder: " +
                                           b + "/inner is inside " + real);
    expectRefused({b + "/sub", src}, "The source folder lies inside the destination folder: " + b +
                                         "/sub is inside " + real);
    expectRefused({src + "/sub", b}, "The source folder lies inside the destination folder: " +
                                         real + "/sub is inside " + b);
}

TEST_F(CliSafetyTest, MissingDestinationOfAPairOrAProfileIsRefusedUnlessYesCreatesIt) {
    // Refused with the question's box `title` without `yes`; with it, `made` exists afterwards.
    const auto expectCreatedOnlyWithYes = [&](const QStringList& arguments, const QStringList& yes,
                                              const QString& folder, const QString& title,
                                              const QString& made, int exitCode) {
        const CliResult refused = box.run(arguments);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(
            refused.out + logged(refused),
            "Destination directory not found:" + folder + "\n" + title +
                ": Destination directory not found:\n" + folder +
                "\nWould you like to create the directory?\nAnswered No (--yes answers Yes).\n"
                "The run ended with an error; the error log says why: " +
                box.path("bin/Error Log.txt") + "\n");
        EXPECT_FALSE(QFileInfo::exists(folder));
        const CliResult created = box.run(arguments + yes);
        EXPECT_EQ(created.exitCode, exitCode) << qPrintable(created.err);
        EXPECT_TRUE(created.err.contains("Answered Yes (--yes)."));
        EXPECT_TRUE(QFileInfo::exists(box.path(made)));
    };
    const QString fresh = box.path("fresh/backup");
    expectCreatedOnlyWithYes({"copy", src, fresh}, {"--yes", "--production"}, fresh, "Pelto",
                             "fresh/backup/sub/c.txt", 0);
    box.write("my.ini", ("[Other]\n" + src + "   " + box.path("other") + "\n").toUtf8());
    expectCreatedOnlyWithYes({"check", "--profile", "Other", "--ini", box.path("my.ini")},
                             {"--yes"}, box.path("other"), "ReadINI error", "other", 1);
}

TEST_F(CliSafetyTest, TopFoldersAreTakenExactlyAsWrittenNeverInAnotherLetterCase) {
    // A folder whose name differs only in letter case stands in for neither top folder.
    box.write("ONLY/x.txt", "x");
    expectRefused({box.path("only"), dst}, "Source directory not found:" + box.path("only"));
    box.write("OUT/keep.txt", "kept");
    const QString out = box.path("out");
    const auto shadow = snapshot(box.path("OUT"));
    const QStringList sync{"sync", "--production", src, out};
    const CliResult refused = box.run(sync);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("Destination directory not found:" + out));
    EXPECT_FALSE(QFileInfo::exists(out));
    const CliResult created = box.run(sync + QStringList{"--yes"});
    EXPECT_EQ(created.exitCode, 0) << qPrintable(created.err);
    EXPECT_TRUE(QFileInfo::exists(out + "/sub/c.txt"));
    EXPECT_EQ(snapshot(box.path("OUT")), shadow);
    // The same for a profile line's destination the reader is allowed to create.
    box.write("p.ini", ("[P]\n" + src + "   " + box.path("pout") + "   subdirs\n").toUtf8());
    box.write("POUT/keep.txt", "kept");
    const auto profileShadow = snapshot(box.path("POUT"));
    const CliResult profile =
        box.run({"sync", "--production", "--yes", "--profile", "P", "--ini", box.path("p.ini")});
    EXPECT_EQ(profile.exitCode, 0) << qPrintable(profile.err);
    EXPECT_TRUE(QFileInfo::exists(box.path("pout/sub/c.txt")));
    EXPECT_EQ(snapshot(box.path("POUT")), profileShadow);
}

// Folder names that hold the header's own separator (no-break space, "to", no-break space) are
// copied from and to their own places: the copy never splits displayed lines into paths.
TEST_F(CliSafetyTest, NamesHoldingTheDisplayedSeparatorAreCopiedFromTheirOwnPlace) {
    const QString odd = QString("a\u00A0to\u00A0b");
    box.write("src/" + odd + "/f.txt", "right", kNewer);
    box.write("src/a/f.txt", "decoy");
    box.write("dst/" + odd + "/f.txt", "old");
    box.write("dst/a/f.txt", "decoy");
    const auto source = snapshot(src);
    const CliResult result = box.run({"sync", "--production", src, dst});
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_EQ(snapshot(dst), source);
    EXPECT_EQ(snapshot(src), source);
}

TEST(CliEmptySourceTest, AnEmptySourceEmptiesItsDestinationOnlyWhenYesAnswersTheQuestion) {
    // What an unmounted source looks like: an empty folder beside a full destination.
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    box.makeFolder("src");
    box.write("dst/f.txt", "f");
    box.write("dst/d/g.txt", "g");
    const QString src = box.path("src"), dst = box.path("dst");
    const QStringList sync{"sync", "--production", src, dst};
    const auto before = snapshot(dst);
    const CliResult kept = box.run(sync);
    EXPECT_EQ(kept.exitCode, 2);
    EXPECT_EQ(snapshot(dst), before);
    EXPECT_TRUE(kept.err.contains("Pelto: The source folder " + src +
                                  " is empty. Delete everything in " + dst +
                                  "?\nAnswered No (--yes answers Yes).\n"))
        << qPrintable(kept.err);
    EXPECT_TRUE(kept.err.contains("The source folder " + src + " is empty: nothing in " + dst +
                                  " was deleted.\n"));
    EXPECT_TRUE(kept.out.contains("Folders deleted: 0\nFiles deleted: 0\n"));
    const CliResult emptied = box.run(sync + QStringList{"--yes"});
    EXPECT_EQ(emptied.exitCode, 0) << qPrintable(emptied.err);
    EXPECT_TRUE(emptied.out.contains("Folders deleted: 1\nFiles deleted: 1\n"));
    EXPECT_EQ(snapshot(dst), (QMap<QString, QString>()));
}

TEST(CliErrorAnswerTest, UnexpectedErrorsAreAnsweredAbortUnlessIgnoreIsChosen) {
    // A fifo (never listed) at the destination takes the name of a source folder: creating the
    // folder fails.
    const CliSandbox box;
    ASSERT_TRUE(box.isValid());
    box.write("src/x/f.txt", "f");
    box.makeFolder("dst");
    ASSERT_EQ(::mkfifo(QFile::encodeName(box.path("dst/x")).constData(), 0600), 0);
    const QStringList copy{"copy", "--production", box.path("src"), box.path("dst")};
    const CliResult aborted = box.run(copy),
                    ignored = box.run(copy + QStringList{"--on-error=ignore"});
    EXPECT_EQ(aborted.exitCode, 2);
    EXPECT_TRUE(aborted.err.contains("Unexpected Error: "));
    EXPECT_TRUE(aborted.err.contains("Answered Abort (--on-error=ignore answers Ignore)."))
        << qPrintable(aborted.err);
    EXPECT_TRUE(box.errorLog().contains("Sub CreateNewFolder"));
    EXPECT_EQ(ignored.exitCode, 2); // going on past an unexpected error is no clean run
    EXPECT_TRUE(ignored.err.contains("Answered Ignore (--on-error=ignore)."))
        << qPrintable(ignored.err);
}

} // namespace
} // namespace pelto::cli::test
