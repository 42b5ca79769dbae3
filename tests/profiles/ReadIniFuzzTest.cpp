// Generated profile files never crash the reader nor reach the failure report: a read takes every
// line of the section or stops at a reported line, keeping the lines before. Fixed seed.
#include "ProfileFixture.h"

#include "profiles/ProfileLine.h"

#include <random>

namespace pelto::test {
namespace {

// Answers every box the cautious way, counting them and keeping the failure reports.
struct LenientDialogs : Dialogs {
    LenientDialogs() { setDialogs(this); }
    ~LenientDialogs() override { setDialogs(nullptr); }
    BoxAnswer ask(BoxButtons buttons, const QString& text, const QString&, BoxIcon) override {
        ++shown;
        if (buttons == BoxButtons::AbortRetryIgnore)
            failureReports.append(text);
        return buttons == BoxButtons::AbortRetryIgnore ? BoxAnswer::Abort
               : buttons == BoxButtons::YesNo          ? BoxAnswer::No
                                                       : BoxAnswer::Ok;
    }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    int shown = 0;
    QStringList failureReports;
};

// The lines of section "P" the reader must take, by the file's own rules.
QStringList sectionLines(const QStringList& lines) {
    QStringList out;
    for (qsizetype n = lines.indexOf("[P]") + 1; n < lines.size(); ++n) {
        const QString& line = lines[n];
        const QString trimmed = trimBlanks(line);
        if (!line.startsWith(u';') && trimmed.startsWith(u'[') && trimmed.endsWith(u']'))
            break;
        if (!line.isEmpty() && !line.startsWith(u' ') && !line.startsWith(u';'))
            out.append(QString(line).replace(u'\t', u' '));
    }
    return out;
}

TEST_F(ProfileTest, GeneratedLinesNeverCrashTheReaderNorLoseLines) {
    const QByteArray pair = folder("src").toUtf8() + " " + folder("dst").toUtf8();
    const QList<QByteArray> pieces =
        QByteArray("exclude|\tEXCLUDE |subdirs|[|]|\"|*.tmp \"a  b*\"|C:\\Work|;|/|/no/such/folder|"
                   "caf\xc3\xa9 \xe2\x82\xac| |\t|")
            .split('|');
    std::mt19937 rng(20260307u);
    const auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(rng); };
    // Mostly a folder pair that exists with pieces after it, else a comment, an indented line or
    // free form; pieces are keywords and odd characters, a very long run or random bytes.
    const auto line = [&] {
        const int kind = pick(9);
        QByteArray out = kind < 6 ? pair : kind == 6 ? QByteArray(";") : kind == 7 ? " " : "";
        for (int i = pick(6); i > 0; --i) {
            const int n = pick(static_cast<int>(pieces.size()) + 1);
            if (n < pieces.size())
                out += ' ' + pieces[n];
            else if (n == pieces.size())
                out += QByteArray(300 + pick(4000), static_cast<char>(0x20 + pick(0x5e)));
            else
                for (int k = pick(11); k >= 0; --k)
                    out += static_cast<char>(1 + pick(254));
        }
        return out;
    };

    LenientDialogs boxes;
    Registry* const store = g().goReg; // the history is written on every full read
    FileSystem* const fs = g().goFSO;
    int fullReads = 0;
    int stoppedReads = 0;
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        QByteArray bytes = "[P]\r\n";
        for (int i = pick(11); i >= 0; --i)
            bytes += line() + (i % 3 == 0 ? "\n" : "\r\n");
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();

        // Each round starts from a fresh program state and window.
        g() = ProgramState{};
        g().goReg = store;
        g().goFSO = fs;
        TestProfileForm window;
        const int boxesBefore = boxes.shown;
        const QStringList expected = sectionLines(readTextLines(iniPath()));
        ReadINI("Load", window, iniPath());
        const bool ok = ReadProfile("P", window);

        ASSERT_TRUE(boxes.failureReports.isEmpty()) << boxes.failureReports.first().toStdString();
        const TextTable& table = g().gasProfile;
        int taken = 0;
        while (taken < expected.size() && taken + 1 <= table.upperBound() &&
               !table.at(profile::kLine, taken + 1).isEmpty()) {
            ASSERT_EQ(table.at(profile::kLine, taken + 1), expected[taken]);
            ++taken;
        }
        ++(ok ? fullReads : stoppedReads);
        if (ok)
            EXPECT_TRUE(taken == expected.size() && window.list.count() == expected.size());
        else
            EXPECT_TRUE(g().gbErrorFlag && boxes.shown > boxesBefore)
                << "stopped without a message";
    }
    EXPECT_GT(fullReads, 0); // the generator reaches both outcomes
    EXPECT_GT(stoppedReads, 0);
}

} // namespace
} // namespace pelto::test
