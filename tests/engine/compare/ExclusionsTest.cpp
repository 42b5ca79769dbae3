#include "engine/compare/Exclusions.h"

#include "diag/ErrorLog.h"
#include "diag/Trace.h"
#include "engine/compare/ProgramState.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace pelto {
namespace {

using test::ScriptedDialogs;

const QString kCrLf = QStringLiteral("\r\n");

// Program state as at start-up with a profile table of ten lines, the error log writing to a
// temporary file, and scripted boxes.
class ExclusionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        resetProgramState();
        g().gasProfile = TextTable(5, 10);
        diag::ResetErrorLog();
        diag::SetLogEnabled(true);
        diag::SetLogFile(folder_.filePath(QStringLiteral("Error Log.txt")));
        dialogs_.emplace();
    }
    void TearDown() override {
        EXPECT_EQ(dialogs_->unanswered(), 0) << "scripted answers left over";
        dialogs_.reset();
        diag::ResetErrorLog();
        resetProgramState();
    }

    // Validates an exclusion text as the exclusion field of profile line 1.
    bool validate(const QString& field, bool logToFile = false) {
        g().gasProfile.set(5, 1, field);
        return ValidateExcludes(1, logToFile);
    }
    // Validates a text that must fail and returns the message of the box it showed.
    QString rejectedWith(const QString& field) {
        dialogs_->then(BoxAnswer::Ok);
        const qsizetype before = dialogs_->shown().size();
        EXPECT_FALSE(validate(field)) << field.toStdString();
        EXPECT_TRUE(g().gbErrorFlag);
        g().gbErrorFlag = false;
        if (dialogs_->shown().size() != before + 1)
            return QStringLiteral("<no box>");
        const test::ShownBox& box = dialogs_->shown().last();
        EXPECT_EQ(box.title, QStringLiteral("Pelto Error"));
        EXPECT_TRUE(diag::messageLog().text().endsWith(kCrLf + box.text))
            << "the message is logged as shown";
        return box.text;
    }

    static const QStringList& table() { return g().gasExcludes; }
    // Slots 0 .. 3 of the table.
    static QStringList head() { return table().mid(0, 4); }

    ScriptedDialogs& dialogs() { return *dialogs_; }
    void restartDialogs() {
        EXPECT_EQ(dialogs_->unanswered(), 0);
        dialogs_.reset();
        dialogs_.emplace();
    }

private:
    QTemporaryDir folder_;
    std::optional<ScriptedDialogs> dialogs_;
};

TEST_F(ExclusionsTest, SpecificationsFillTheTableLowerCased) {
    EXPECT_TRUE(validate(QStringLiteral("exclude *.tmp *.bak")));
    EXPECT_EQ(head(), (QStringList{"3", "", "*.tmp", "*.bak"}));
    EXPECT_EQ(table().size(), 102);
    EXPECT_TRUE(table()[4].isEmpty());

    EXPECT_TRUE(validate(QStringLiteral("Exclude SUBDIRS *.TMP")));
    EXPECT_EQ(head(), (QStringList{"2", "subdirs", "*.tmp", ""}));

    // Extra blanks between specifications and at the ends do not make specifications.
    EXPECT_TRUE(validate(QStringLiteral("exclude   *.a    b?.c  subdirs")));
    EXPECT_EQ(head(), (QStringList{"3", "subdirs", "*.a", "b?.c"}));
    EXPECT_TRUE(dialogs().shown().isEmpty());
}

TEST_F(ExclusionsTest, EmptyFieldClearsTheTableAndSucceeds) {
    ASSERT_TRUE(validate(QStringLiteral("exclude subdirs *.tmp")));
    EXPECT_TRUE(validate(QString(), true));
    EXPECT_EQ(table(), QStringList(102));
    EXPECT_FALSE(diag::messageLog().text().contains(QStringLiteral("Files excluded:")));
}

TEST_F(ExclusionsTest, QuotedSpecificationsKeepOneBlank) {
    EXPECT_TRUE(validate(QStringLiteral("exclude \"my  file*\" x")));
    EXPECT_EQ(head(), (QStringList{"3", "", "my file*", "x"}));

    EXPECT_TRUE(validate(QStringLiteral("exclude \"one\" \"two words\" three")));
    EXPECT_EQ(table().mid(0, 5), (QStringList{"4", "", "one", "two words", "three"}));

    // A quote that is never closed takes the rest of the line.
    EXPECT_TRUE(validate(QStringLiteral("exclude a \"b c d")));
    EXPECT_EQ(head(), (QStringList{"3", "", "a", "b c d"}));

    // A lone quote opens a quoted specification.
    EXPECT_TRUE(validate(QStringLiteral("exclude \" lead\" x")));
    EXPECT_EQ(head(), (QStringList{"3", "", " lead", "x"}));
}

TEST_F(ExclusionsTest, SubdirsIsTakenWhereverItFirstOccurs) {
    EXPECT_TRUE(validate(QStringLiteral("exclude *subdirs*")));
    EXPECT_EQ(head(), (QStringList{"3", "subdirs", "*", "*"}));
    // Only the first occurrence is the switch; a second one stays a specification.
    EXPECT_TRUE(validate(QStringLiteral("exclude subdirs subdirs")));
    EXPECT_EQ(head(), (QStringList{"2", "subdirs", "subdirs", ""}));
}

TEST_F(ExclusionsTest, AcceptedTextIsNotedOnlyWhenAsked) {
    EXPECT_TRUE(validate(QStringLiteral("exclude *.TMP"), false));
    EXPECT_FALSE(diag::messageLog().text().contains(QStringLiteral("Files excluded:")));
    EXPECT_TRUE(validate(QStringLiteral("exclude *.TMP"), true));
    EXPECT_TRUE(
        diag::messageLog().text().endsWith(QStringLiteral("\r\nFiles excluded: exclude *.TMP")));
    EXPECT_TRUE(dialogs().shown().isEmpty()) << "the note has no box";
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(ExclusionsTest, MissingSpecificationIsReported) {
    EXPECT_EQ(rejectedWith(QStringLiteral("exclude")),
              QStringLiteral("Need at least ONE file exclude specification (profiles): 1") + kCrLf +
                  QStringLiteral("exclude"));
    EXPECT_EQ(rejectedWith(QStringLiteral("exclude subdirs")),
              QStringLiteral("Need at least ONE file exclude specification (profiles): 2") + kCrLf +
                  QStringLiteral("exclude subdirs"));
    // Quotes around nothing leave no specification either.
    EXPECT_EQ(rejectedWith(QStringLiteral("exclude \"\"")),
              QStringLiteral("Need at least ONE file exclude specification (profiles): 1") + kCrLf +
                  QStringLiteral("exclude \"\""));
}

TEST_F(ExclusionsTest, BadCharactersAreReportedWithPositionAndSlot) {
    EXPECT_EQ(rejectedWith(QStringLiteral("exclude a#b")),
              QStringLiteral("Unexpected character in file exclude specification (profiles): 2") +
                  kCrLf + QStringLiteral("exclude a#b") + kCrLf + QStringLiteral("2: a#b"));
    EXPECT_EQ(rejectedWith(QStringLiteral("exclude ok.txt a\"b")),
              QStringLiteral("Unexpected character in file exclude specification (profiles): 2") +
                  kCrLf + QStringLiteral("exclude ok.txt a\"b") + kCrLf +
                  QStringLiteral("3: a\"b"));
    // A letter outside a to z.
    const QString accented = QString::fromUtf8("exclude caf\xC3\xA9*");
    EXPECT_EQ(rejectedWith(accented),
              QStringLiteral("Unexpected character in file exclude specification (profiles): 4") +
                  kCrLf + accented + kCrLf + QString::fromUtf8("2: caf\xC3\xA9*"));
    // Folder specifications start with this system's separator; the other one is refused.
    const QChar other = QDir::separator() == u'/' ? u'\\' : u'/';
    const QString wrong = QStringLiteral("exclude ") + other + QStringLiteral("temp*");
    EXPECT_EQ(rejectedWith(wrong),
              QStringLiteral("Unexpected character in file exclude specification (profiles): 1") +
                  kCrLf + wrong + kCrLf + QStringLiteral("2: ") + other + QStringLiteral("temp*"));

    // Every allowed character passes.
    EXPECT_TRUE(validate(QStringLiteral("exclude AZaz09.?*_-+~$ \"x y\" ") + QDir::separator() +
                         QStringLiteral("tmp")));
}

QString specifications(int count, const QString& pattern = QStringLiteral("f%1")) {
    QStringList specs;
    for (int i = 1; i <= count; ++i)
        specs.append(pattern.arg(i));
    return specs.join(QLatin1Char(' '));
}

TEST_F(ExclusionsTest, NinetyNineSpecificationsFitAndOneMoreIsRefused) {
    ASSERT_EQ(excludeLimit(), 99);
    EXPECT_TRUE(validate(QStringLiteral("exclude ") + specifications(99)));
    EXPECT_EQ(table()[0], QStringLiteral("100"));
    EXPECT_EQ(table()[100], QStringLiteral("f99"));
    EXPECT_TRUE(table()[101].isEmpty());

    // The switch in front, and quoted specifications with blanks, do not count against the limit.
    EXPECT_TRUE(validate(QStringLiteral("exclude subdirs ") + specifications(99)));
    EXPECT_EQ(table()[0], QStringLiteral("100"));
    EXPECT_TRUE(
        validate(QStringLiteral("exclude ") + specifications(99, QStringLiteral("\"a %1\""))));
    EXPECT_EQ(table()[100], QStringLiteral("a 99"));

    const QString tooMany = QStringLiteral("exclude ") + specifications(100);
    EXPECT_EQ(rejectedWith(tooMany),
              QStringLiteral("More than 99 file exclude specifications (profiles): 100") + kCrLf +
                  tooMany);
}

TEST_F(ExclusionsTest, DeveloperModeHasRoomForSeven) {
    g().gbInDesign = true;
    ASSERT_EQ(excludeLimit(), 7);
    EXPECT_TRUE(validate(QStringLiteral("exclude subdirs ") + specifications(7)));
    EXPECT_EQ(table().size(), 10);
    EXPECT_EQ(table()[0], QStringLiteral("8"));
    EXPECT_EQ(table()[8], QStringLiteral("f7"));

    const QString tooMany = QStringLiteral("exclude ") + specifications(8);
    EXPECT_EQ(rejectedWith(tooMany),
              QStringLiteral("More than 7 file exclude specifications (profiles): 8") + kCrLf +
                  tooMany);
    EXPECT_EQ(table().size(), 10);
}

TEST_F(ExclusionsTest, UnexpectedErrorGoesToFailureReportThenToTheLog) {
    for (const BoxAnswer answer : {BoxAnswer::Abort, BoxAnswer::Ignore}) {
        ASSERT_TRUE(validate(QStringLiteral("exclude subdirs *.tmp")));
        dialogs().then(answer).then(BoxAnswer::Ok);
        // Line 50 is beyond the profile table.
        EXPECT_FALSE(ValidateExcludes(50, true));
        EXPECT_TRUE(g().gbErrorFlag);
        g().gbErrorFlag = false;
        ASSERT_EQ(dialogs().shown().size(), 2);
        EXPECT_EQ(dialogs().shown()[0].buttons, BoxButtons::AbortRetryIgnore);
        EXPECT_EQ(dialogs().shown()[0].title, QStringLiteral("Unexpected Error"));
        EXPECT_EQ(dialogs().shown()[1].text,
                  QStringLiteral("Error in file exclude specifications for profiles: ") + kCrLf);
        EXPECT_FALSE(diag::messageLog().text().contains(QStringLiteral("Files excluded:")));
        EXPECT_EQ(table(), QStringList(102)) << "no exclusions of the earlier line stay in force";
        restartDialogs();
    }
}

TEST_F(ExclusionsTest, TableAppliesToTopFolderOrWithSubdirs) {
    ASSERT_TRUE(validate(QStringLiteral("exclude *.tmp")));
    EXPECT_FALSE(CheckExcludeSubdir(true)) << "no profile chosen";
    g().gbExcludes = true;
    EXPECT_TRUE(CheckExcludeSubdir(true));
    EXPECT_FALSE(CheckExcludeSubdir(false));

    ASSERT_TRUE(validate(QStringLiteral("exclude subdirs *.tmp")));
    EXPECT_TRUE(CheckExcludeSubdir(true));
    EXPECT_TRUE(CheckExcludeSubdir(false));

    ASSERT_TRUE(validate(QString()));
    EXPECT_FALSE(CheckExcludeSubdir(true)) << "the profile line excludes nothing";
}

TEST(Wildcards, MatchTheWholeNameIgnoringCase) {
    struct Case {
        const char* name;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"a.tmp", "*.tmp", true},
        {"a.tmp.txt", "*.tmp", false},
        {"xa.tmp", "a.tmp", false},
        {"a.tmpx", "a.tmp", false},
        {"A.Tmp", "*.tmp", true},
        {"a.tmp", "*.TMP", true},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abbc", "a?c", false},
        {"abc", "*", true},
        {"", "*", true},
        {"", "", true},
        {"abc", "", false},
        {"", "?", false},
        {"aXbYc", "a*b*c", true},
        {"abcb", "a*b", true},
        {"abcbd", "a*b", false},
        {"mississippi", "m*iss*ppi", true},
        {"mississippi", "m*iss*ppx", false},
        {"~$doc.docx", "~$*", true},
        {"x+y", "x+y", true},
        {"a b", "a?b", true},
        {"tmp", "***tmp", true},
        {"ab", "a**?", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesWildcard(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)), c.match)
            << c.name << " ~ " << c.pattern;
    }
    // '?' takes a whole character, also one written as a surrogate pair.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_TRUE(MatchesWildcard(emoji, QStringLiteral("?")));
    EXPECT_TRUE(
        MatchesWildcard(QStringLiteral("a") + emoji + QStringLiteral("b"), QStringLiteral("a?b")));
    EXPECT_TRUE(MatchesWildcard(emoji + emoji, QStringLiteral("*?")));
}

TEST_F(ExclusionsTest, FoldersMatchSpecificationsWithoutTheirFirstCharacter) {
    const QString sep = QDir::separator();
    ASSERT_TRUE(validate(QStringLiteral("exclude *tmp* ") + sep + QStringLiteral("cache* *.BAK")));
    // Files match the specifications as written, case-blind.
    EXPECT_TRUE(FileExcluded(QStringLiteral("mytmp.txt")));
    EXPECT_TRUE(FileExcluded(QStringLiteral("Old.Bak")));
    EXPECT_FALSE(FileExcluded(QStringLiteral("cache1")));
    EXPECT_FALSE(FileExcluded(QStringLiteral("notes.txt")));
    // Folders match "tmp*", "cache*" and ".bak".
    EXPECT_TRUE(FolderExcluded(QStringLiteral("tmpfiles")));
    EXPECT_FALSE(FolderExcluded(QStringLiteral("mytmp")));
    EXPECT_TRUE(FolderExcluded(QStringLiteral("cache")));
    EXPECT_TRUE(FolderExcluded(QStringLiteral(".bak")));
    EXPECT_FALSE(FolderExcluded(QStringLiteral("x.bak")));
}

TEST_F(ExclusionsTest, MatchingStaysInsideTheTable) {
    EXPECT_FALSE(FileExcluded(QStringLiteral("a"))) << "empty table";
    g().gasExcludes = QStringList{QStringLiteral("500"), QString(), QStringLiteral("a")};
    EXPECT_TRUE(FileExcluded(QStringLiteral("a")));
    EXPECT_FALSE(FolderExcluded(QStringLiteral("a")));
    g().gasExcludes.clear();
    EXPECT_FALSE(FileExcluded(QStringLiteral("a")));
    EXPECT_FALSE(CheckExcludeSubdir(true));
}

} // namespace
} // namespace pelto
