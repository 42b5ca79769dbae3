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

// A profile table of ten lines whose line 1 holds the exclusion field under test.
class ExclusionsTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        g().gasProfile = TextTable(5, 10);
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
};

TEST_F(ExclusionsTest, TextsFillTheTableLowerCased) {
    const std::vector<std::pair<QString, QStringList>> cases{
        {"exclude *.tmp *.bak", {"3", "", "*.tmp", "*.bak", ""}},
        {"Exclude SUBDIRS *.TMP", {"2", "subdirs", "*.tmp", "", ""}},
        {"exclude   *.a    b?.c  subdirs", {"3", "subdirs", "*.a", "b?.c", ""}},
        // The first "subdirs" is the switch, even inside a specification.
        {"exclude *subdirs* subdirs", {"4", "subdirs", "*", "*", "subdirs"}},
        // Quotes keep blanks (runs shrink to one); an unclosed quote takes the rest.
        {"exclude \"my  file*\" x", {"3", "", "my file*", "x", ""}},
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
    const QString many = QStringLiteral("More than 99 file exclude specifications (profiles): ");
    const QString cafe = QString::fromUtf8("caf\xC3\xA9*"); // a letter outside a to z
    // The limit counts pieces between blanks as written, each quoted word and the blank left
    // by "subdirs" included; the message names one less.
    const QString subdirs99 = "exclude subdirs " + specifications(99).mid(8);
    const QString quoted126 = "exclude \"" + specifications(126).mid(8) + '"';
    const QString quoted100 = "exclude " + specifications(50, "\"a %1\"").mid(8);
    const std::vector<std::pair<QString, QString>> cases{
        {"exclude", none + "1" + kCrLf + "exclude"},
        {"exclude subdirs", none + "2" + kCrLf + "exclude subdirs"},
        {"exclude \"\" a", none + "2" + kCrLf + "exclude \"\" a"},
        {"exclude a#b", bad + "2" + kCrLf + "exclude a#b" + kCrLf + "2: a#b"},
        {"exclude ok a\"b", bad + "2" + kCrLf + "exclude ok a\"b" + kCrLf + "3: a\"b"},
        {"exclude " + cafe, bad + "4" + kCrLf + "exclude " + cafe + kCrLf + "2: " + cafe},
        {"exclude \\t", bad + "1" + kCrLf + "exclude \\t" + kCrLf + "2: \\t"},
        // A quote standing alone at the end opens nothing: no specification may hold it.
        {"exclude *.tmp \"", bad + "1" + kCrLf + "exclude *.tmp \"" + kCrLf + "3: \""},
        {"exclude \"a b\" \"", bad + "1" + kCrLf + "exclude \"a b\" \"" + kCrLf + "3: \""},
        {specifications(100), many + "99" + kCrLf + specifications(100)},
        {subdirs99, many + "99" + kCrLf + subdirs99},
        {quoted100, many + "99" + kCrLf + quoted100},
        {quoted126, many + "125" + kCrLf + quoted126},
    };
    for (const auto& [field, message] : cases)
        EXPECT_EQ(rejectedWith(field), message);
    // Every allowed character passes.
    EXPECT_TRUE(validate("exclude AZaz09.?*_-+~$ \"x y\" " + kSep + "tmp"));
}

TEST_F(ExclusionsTest, NinetyNinePiecesFitHoweverWritten) {
    ASSERT_EQ(excludeLimit(), 99);
    const QString tail = specifications(98).mid(8);
    for (const auto& [field, kept] : std::initializer_list<std::pair<QString, int>>{
             {specifications(99), 99},
             {"exclude subdirs " + tail, 98},
             {"exclude " + tail + " subdirs", 98},
             {"exclude " + specifications(49, "\"a %1\"").mid(8) + " x", 50}}) {
        EXPECT_TRUE(validate(field)) << field.toStdString();
        EXPECT_EQ(table()[0], QString::number(kept + 1));
        EXPECT_TRUE(table()[101].isEmpty());
    }
}

// Whole names, any letter case; '?' takes one character, also a surrogate pair.
TEST_F(ExclusionsTest, FilesMatchSpecificationsFoldersMatchThemWithoutFirstCharacter) {
    ASSERT_TRUE(validate("exclude *tmp* " + kSep + "cache* *.BAK a?c"));
    const std::vector<std::tuple<QString, bool, bool>> cases{
        {"mytmp.txt", true, false}, {"Old.Bak", true, false},    {"TMP", true, true},
        {"cache1", false, true},    {"notes.txt", false, false}, {"a.bak.txt", false, false},
        {"tmpfiles", true, true},   {"cache", false, true},      {".bak", true, true},
        {"mytmp", true, false},     {"x.bak", true, false},      {"abc", true, false},
        {"a😀c", true, false},       {"ac", false, true}};
    for (const auto& [name, file, folder] : cases) {
        EXPECT_EQ(FileExcluded(name), file) << name.toStdString();
        EXPECT_EQ(FolderExcluded(name), folder) << name.toStdString();
    }
}

} // namespace
} // namespace pelto::test
