// Generated profile files (fixed seed) never crash the reader nor reach the failure report; a
// read takes every line of the section or stops at a reported line, keeping the lines before.
#include "ProfileFixture.h"

#include "profiles/ProfileLine.h"

#include <random>

namespace pelto::test {
namespace {

// Answers every box the cautious way and counts them; a failure report fails the test.
struct LenientDialogs : Dialogs {
    LenientDialogs() { setDialogs(this); }
    ~LenientDialogs() override { setDialogs(nullptr); }
    BoxAnswer ask(BoxButtons buttons, const QString& text, const QString&, BoxIcon) override {
        ++shown;
        EXPECT_NE(buttons, BoxButtons::AbortRetryIgnore) << text.toStdString();
        return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
    }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    int shown = 0;
};

TEST_F(ProfileTest, GeneratedLinesNeverCrashTheReaderNorLoseLines) {
    const QByteArray pair = folder("src").toUtf8() + " " + folder("dst").toUtf8();
    const QList<QByteArray> pieces =
        QByteArray("exclude|\tEXCLUDE |subdirs|[|]|\"|*.tmp \"a  b*\"|C:\\Work|;|/|/no/such/folder|"
                   "caf\xc3\xa9 \xe2\x82\xac| |\t|")
            .split('|');
    std::mt19937 rng(20260307u);
    const auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(rng); };
    // Mostly a folder pair that exists with pieces after it, else a comment, an indented line or
    // free form; a piece is a keyword, an odd character or random bytes, some of a very long run.
    const auto line = [&] {
        const int kind = pick(9);
        QByteArray out = kind < 6 ? pair : QByteArray(kind == 6 ? ";" : kind == 7 ? " " : "");
        for (int i = pick(6); i > 0; --i) {
            const int n = pick(static_cast<int>(pieces.size()));
            if (!out.isEmpty())
                out += ' ';
            if (n < pieces.size())
                out += pieces[n];
            else
                for (int k = pick(1) ? pick(11) : pick(5000); k >= 0; --k)
                    out += static_cast<char>(1 + pick(254));
        }
        return out;
    };

    LenientDialogs boxes;
    int outcomes[2] = {0, 0};
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        QByteArray bytes = "[P]\r\n";
        for (int i = pick(11); i >= 0; --i)
            bytes += line() + (i % 3 == 0 ? "\n" : "\r\n");
        writeFile(iniPath(), bytes);
        // The section's lines by the file's own rules: up to the next header, none indented.
        QStringList expected;
        for (const QString& l : readTextLines(iniPath()).mid(1)) {
            if (!l.startsWith(u';') && trimBlanks(l).startsWith(u'[') &&
                trimBlanks(l).endsWith(u']'))
                break;
            if (!l.isEmpty() && !l.startsWith(u' ') && !l.startsWith(u';'))
                expected.append(QString(l).replace(u'\t', u' '));
        }

        ProgramState fresh; // each round starts as a new program run, with the same services
        fresh.goReg = g().goReg;
        fresh.goFSO = g().goFSO;
        g() = fresh;
        const int boxesBefore = boxes.shown;
        load();
        const bool ok = ReadProfile("P", form());
        ++outcomes[ok];
        QStringList taken;
        for (int n = 1;
             n <= g().gasProfile.upperBound() && !profileField(profile::kLine, n).isEmpty(); ++n)
            taken.append(profileField(profile::kLine, n));
        EXPECT_EQ(taken, expected.mid(0, ok ? expected.size() : taken.size()));
        EXPECT_TRUE(ok ? form().list.count() == expected.size()
                       : g().gbErrorFlag && boxes.shown > boxesBefore)
            << "all lines listed, or a message for the line that stopped the reading";
    }
    EXPECT_GT(outcomes[0], 0); // the generator reaches both outcomes
    EXPECT_GT(outcomes[1], 0);
}

} // namespace
} // namespace pelto::test
