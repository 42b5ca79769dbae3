// Profile files made of generated lines (random bytes, tabs, very long lines, half brackets,
// quotes, the keywords in odd places) must never crash the reader nor reach the failure
// report: every read either takes every line of the section or stops at a reported line,
// keeping the lines before it. The seed is fixed, so a failure repeats.
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
    const QByteArray src = folder("src").toUtf8(), dst = folder("dst").toUtf8();
    QList<QByteArray> pieces{src, dst};
    pieces +=
        QByteArray("exclude|EXCLUDE |subdirs|[|]|\"|*.tmp \"a  b*\"|C:\\Work|;|/|/no/such/folder|"
                   "caf\xc3\xa9 \xe2\x82\xac")
            .split('|');
    const QList<QByteArray> separators = QByteArray(" |\t|  | \t |").split('|'); // the last is ""
    const int count = static_cast<int>(pieces.size());
    std::mt19937 rng(20260307u);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    const auto piece = [&] {
        const int n = pick(0, count + 1);
        if (n < count)
            return pieces[n];
        if (n == count) // a very long line
            return QByteArray(pick(300, 5000), static_cast<char>(pick(0x20, 0x7e)));
        QByteArray bytes;
        for (int i = pick(1, 12); i > 0; --i)
            bytes += static_cast<char>(pick(1, 255));
        return bytes;
    };
    // Mostly a folder pair that exists with the keywords and random exclusions after it, else a
    // comment, an indented line or free form.
    const auto line = [&] {
        const int kind = pick(0, 9);
        QByteArray out = kind < 6    ? src + separators[pick(0, 3)] + dst
                         : kind == 6 ? QByteArray(";")
                         : kind == 7 ? QByteArray(" ")
                                     : QByteArray();
        if (kind < 6 && pick(0, 1) == 0)
            out += pick(0, 1) == 0 ? " subdirs" : "\tSubDirs ";
        if (kind < 6 && pick(0, 1) == 0)
            out += pick(0, 1) == 0 ? " exclude " : "\tExclude\t";
        for (int i = kind < 6 ? pick(0, 4) : pick(1, 8); i > 0; --i)
            out += piece() + separators[pick(0, 4)];
        return out;
    };

    LenientDialogs boxes;
    Registry* const store = g().goReg; // the history is written on every full read
    FileSystem* const fs = g().goFSO;
    int fullReads = 0;
    int stoppedReads = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        QByteArray bytes = "[P]\r\n";
        for (int i = pick(1, 12); i > 0; --i)
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
