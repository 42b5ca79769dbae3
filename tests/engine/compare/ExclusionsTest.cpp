#include "engine/compare/Exclusions.h"

#include "CompareFixture.h"

namespace pelto::test {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kSep = QDir::separator();

QString specifications(int count, const char* pattern = "f%1") {
    QStringList specs;
    for (int i = 1; i <= count; ++i)
        specs.append(QString::fromLatin1(pattern).arg(i));
    return QStringLiteral("exclude ") + specs.join(QLatin1Char(' '));
}

// Program state as at start-up with a profile table of ten lines, the error log writing to a
// temporary file, and scripted boxes.
class ExclusionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        g().gasProfile = TextTable(5, 10);
        diag::SetLogEnabled(true);
        diag::SetLogFile(folder_.filePath(QStringLiteral("Error Log.txt")));
        dialogs_.emplace();
    }
    void TearDown() override {
        EXPECT_EQ(dialogs_->unanswered(), 0) << "scripted answers left over";
        dialogs_.reset();
    }

    // Validates a text as the exclusion field of profile line 1.
    static bool validate(const QString& field, bool logToFile = false) {
        g().gasProfile.set(5, 1, field);
        return ValidateExcludes(1, logToFile);
    }
    // Validates a text that must fail; returns the message of its box, which is also logged.
    QString rejectedWith(const QString& field) {
        dialogs_.emplace().then(BoxAnswer::Ok);
        EXPECT_FALSE(validate(field)) << field.toStdString();
        EXPECT_TRUE(g().gbErrorFlag);
        g().gbErrorFlag = false;
        if (dialogs_->shown().size() != 1)
            return QStringLiteral("<no box>");
        EXPECT_EQ(dialogs_->shown()[0].title, QStringLiteral("Pelto Error"));
        EXPECT_TRUE(diag::messageLog().text().endsWith(kCrLf + dialogs_->shown()[0].text));
        return dialogs_->shown()[0].text;
    }
    static const QStringList& table() { return g().gasExcludes; }

    QTemporaryDir folder_;
    std::optional<ScriptedDialogs> dialogs_;
};

TEST_F(ExclusionsTest, TextsFillTheTableLowerCased) {
    const std::vector<std::pair<QString, QStringList>> cases{
        {"exclude *.tmp *.bak", {"3", "", "*.tmp", "*.bak", ""}},
        {"Exclude SUBDIRS *.TMP", {"2", "subdirs", "*.tmp", "", ""}},
        {"exclude   *.a    b?.c  subdirs", {"3", "subdirs", "*.a", "b?.c", ""}},
        // The first "subdirs" is the switch, even inside a specification.
        {"exclude *subdirs* subdirs", {"4", "subdirs", "*", "*", "subdirs"}},
        // Quotes keep blanks (runs shrink to one); an unclosed quote takes the rest; a lone
        // quote opens a quoted specification.
        {"exclude \"my  file*\" x", {"3", "", "my file*", "x", ""}},
        {"exclude \"one\" \"two words\" a", {"4", "", "one", "two words", "a"}},
        {"exclude a \"b c d", {"3", "", "a", "b c d", ""}},
        {"exclude \" lead\" x", {"3", "", " lead", "x", ""}},
        {"", {"", "", "", "", ""}},
    };
    for (const auto& [field, head] : cases) {
        EXPECT_TRUE(validate(field)) << field.toStdString();
        EXPECT_EQ(table().mid(0, 5), head) << field.toStdString();
        EXPECT_EQ(table().size(), 102);
        EXPECT_TRUE(table().mid(5).join(QString()).isEmpty());
    }
    EXPECT_TRUE(dialogs_->shown().isEmpty());
    EXPECT_FALSE(g().gbErrorFlag);
}

TEST_F(ExclusionsTest, FaultyTextsAreReportedExactly) {
    const QString none =
        QStringLiteral("Need at least ONE file exclude specification (profiles): ");
    const QString bad =
        QStringLiteral("Unexpected character in file exclude specification (profiles): ");
    const QString cafe = QString::fromUtf8("caf\xC3\xA9*"); // a letter outside a to z
    const QChar otherSep = kSep == QStringLiteral("/") ? u'\\' : u'/';
    const std::vector<std::pair<QString, QString>> cases{
        {"exclude", none + "1" + kCrLf + "exclude"},
        {"exclude subdirs", none + "2" + kCrLf + "exclude subdirs"},
        {"exclude \"\" a", none + "2" + kCrLf + "exclude \"\" a"},
        {"exclude a#b", bad + "2" + kCrLf + "exclude a#b" + kCrLf + "2: a#b"},
        {"exclude ok a\"b", bad + "2" + kCrLf + "exclude ok a\"b" + kCrLf + "3: a\"b"},
        {"exclude " + cafe, bad + "4" + kCrLf + "exclude " + cafe + kCrLf + "2: " + cafe},
        {"exclude " + QString(otherSep) + "t",
         bad + "1" + kCrLf + "exclude " + otherSep + "t" + kCrLf + "2: " + otherSep + "t"},
        {specifications(100),
         "More than 99 file exclude specifications (profiles): 100" + kCrLf + specifications(100)},
    };
    for (const auto& [field, message] : cases)
        EXPECT_EQ(rejectedWith(field), message);
    // Every allowed character passes.
    EXPECT_TRUE(validate("exclude AZaz09.?*_-+~$ \"x y\" " + kSep + "tmp"));
}

TEST_F(ExclusionsTest, NinetyNineSpecificationsFitHoweverWrittenSevenInDeveloperMode) {
    ASSERT_EQ(excludeLimit(), 99);
    for (const QString& field : {specifications(99), "exclude subdirs " + specifications(99).mid(8),
                                 specifications(99, "\"a %1\"")}) {
        EXPECT_TRUE(validate(field)) << field.toStdString();
        EXPECT_EQ(table()[0], QStringLiteral("100"));
        EXPECT_TRUE(table()[100].endsWith(QStringLiteral("99")));
        EXPECT_TRUE(table()[101].isEmpty());
    }
    g().gbInDesign = true;
    EXPECT_TRUE(validate("exclude subdirs " + specifications(7).mid(8)));
    EXPECT_EQ(table().size(), 10);
    EXPECT_EQ(table()[0], QStringLiteral("8"));
    EXPECT_EQ(rejectedWith(specifications(8)),
              "More than 7 file exclude specifications (profiles): 8" + kCrLf + specifications(8));
}

TEST_F(ExclusionsTest, UnexpectedErrorIsReportedAndLeavesNoExclusions) {
    for (const BoxAnswer answer : {BoxAnswer::Abort, BoxAnswer::Ignore}) {
        ASSERT_TRUE(validate(QStringLiteral("exclude subdirs *.tmp")));
        dialogs_.emplace().then(answer).then(BoxAnswer::Ok);
        EXPECT_FALSE(ValidateExcludes(50, true)) << "line 50 is beyond the profile table";
        EXPECT_TRUE(g().gbErrorFlag);
        ASSERT_EQ(dialogs_->shown().size(), 2);
        EXPECT_EQ(dialogs_->shown()[0].title, QStringLiteral("Unexpected Error"));
        EXPECT_EQ(dialogs_->shown()[1].text,
                  "Error in file exclude specifications for profiles: " + kCrLf);
        EXPECT_EQ(table(), QStringList(102));
    }
}

TEST_F(ExclusionsTest, FilesMatchSpecificationsFoldersMatchThemWithoutFirstCharacter) {
    ASSERT_TRUE(validate("exclude *tmp* " + kSep + "cache* *.BAK"));
    const std::vector<std::tuple<QString, bool, bool>> cases{
        {"mytmp.txt", true, false}, {"Old.Bak", true, false},    {"TMP", true, true},
        {"cache1", false, true},    {"notes.txt", false, false}, {"a.bak.txt", false, false},
        {"tmpfiles", true, true},   {"cache", false, true},      {".bak", true, true},
        {"mytmp", true, false},     {"x.bak", true, false}};
    for (const auto& [name, file, folder] : cases) {
        EXPECT_EQ(FileExcluded(name), file) << name.toStdString();
        EXPECT_EQ(FolderExcluded(name), folder) << name.toStdString();
    }
    // A count in slot 0 beyond the table is not followed out of it.
    g().gasExcludes = QStringList{QStringLiteral("500"), QString(), QStringLiteral("a")};
    EXPECT_TRUE(FileExcluded(QStringLiteral("a")));
    EXPECT_FALSE(FolderExcluded(QStringLiteral("a")));
}

TEST(Wildcards, MatchTheWholeNameIgnoringCase) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    // '?' takes a whole character, also one written as a surrogate pair.
    const std::vector<std::tuple<QString, QString, bool>> cases{
        {"a.tmp", "*.tmp", true},   {"a.tmp.txt", "*.tmp", false},
        {"A.Tmp", "*.tmp", true},   {"abc", "a?c", true},
        {"ac", "a?c", false},       {"", "*", true},
        {"abc", "", false},         {"", "?", false},
        {"aXbYc", "a*b*c", true},   {"abcb", "a*b", true},
        {"abcbd", "a*b", false},    {"mississippi", "m*iss*ppi", true},
        {emoji, "?", true},         {"a" + emoji + "b", "a?b", true},
        {emoji + emoji, "*?", true}};
    for (const auto& [name, pattern, match] : cases)
        EXPECT_EQ(MatchesWildcard(name, pattern), match)
            << name.toStdString() << " ~ " << pattern.toStdString();
}

} // namespace
} // namespace pelto::test
