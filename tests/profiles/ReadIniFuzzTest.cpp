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

// A settings store in memory: the history is written on every full read.
struct MemoryBackend : SettingsBackend {
    QString read(const QString& a, const QString& s, const QString& k) override {
        return values.value({a, s, k});
    }
    void save(const QString& a, const QString& s, const QString& k, const QString& v) override {
        values.insert({a, s, k}, v);
    }
    bool remove(const QString& a, const QString& s, const QString& k) override {
        return values.remove({a, s, k}) > 0;
    }
    QMap<QStringList, QString> values;
};

class LineGenerator {
public:
    LineGenerator(const QByteArray& source, const QByteArray& destination)
        : pieces_{source,    source,     destination,       destination,
                  "exclude", "EXCLUDE ", "subdirs",         "[",
                  "]",       "\"",       "*.tmp \"a  b*\"", "C:\\Work",
                  ";",       "/",        "/no/such/folder", "caf\xc3\xa9 \xe2\x82\xac"},
          source_(source), destination_(destination) {}

    QByteArray line() {
        switch (pick(0, 9)) {
        case 6:
            return ";" + freeForm();
        case 7:
            return " " + freeForm();
        case 8:
        case 9:
            return freeForm();
        default: // a folder pair that exists, with the keywords and random exclusions after it
            QByteArray out = source_ + separator() + " " + destination_;
            if (pick(0, 1) == 0)
                out += pick(0, 1) == 0 ? " subdirs" : "\tSubDirs ";
            if (pick(0, 1) == 0) {
                out += pick(0, 1) == 0 ? " exclude " : "\tExclude\t";
                for (int i = pick(0, 4); i > 0; --i)
                    out += piece() + separator();
            }
            return out;
        }
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    QByteArray separator() {
        static const QByteArray kSeparators[] = {" ", "\t", "", "  ", " \t "};
        return kSeparators[pick(0, 4)];
    }
    QByteArray piece() {
        const int n = pick(0, static_cast<int>(pieces_.size()) + 1);
        if (n < pieces_.size())
            return pieces_[n];
        QByteArray bytes; // random bytes
        for (int i = pick(1, 12); i > 0; --i)
            bytes += static_cast<char>(pick(1, 255));
        return bytes;
    }
    QByteArray freeForm() {
        QByteArray out;
        for (int i = pick(1, 8); i > 0; --i)
            out += piece() + separator();
        if (pick(0, 9) == 0)
            out += QByteArray(pick(300, 5000), static_cast<char>(pick(0x20, 0x7e)));
        return out;
    }

    QList<QByteArray> pieces_;
    QByteArray source_;
    QByteArray destination_;
    std::mt19937 rng_{20260307u};
};

// The lines of section "P" the reader must take, by the file's own rules.
QStringList sectionLines(const QStringList& lines) {
    QStringList out;
    qsizetype n = lines.indexOf("[P]");
    while (++n < lines.size()) {
        const QString& line = lines[n];
        const QString trimmed = trimBlanks(line);
        if (line.startsWith(u';'))
            continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']'))
            break;
        if (!line.isEmpty() && !line.startsWith(u' '))
            out.append(QString(line).replace(u'\t', u' '));
    }
    return out;
}

TEST_F(ProfileTest, GeneratedLinesNeverCrashTheReaderNorLoseLines) {
    LineGenerator generate(folder("src").toUtf8(), folder("dst").toUtf8());
    std::mt19937 rng(77u);
    LenientDialogs boxes;
    Registry store(std::make_unique<MemoryBackend>());
    store.setApplicationName("Pelto");
    FileSystem* const fs = g().goFSO;

    int fullReads = 0;
    int stoppedReads = 0;
    for (int round = 0; round < 250; ++round) {
        SCOPED_TRACE(round);
        QByteArray bytes = "[P]\r\n";
        for (int i = std::uniform_int_distribution<int>(1, 12)(rng); i > 0; --i)
            bytes += generate.line() + (i % 3 == 0 ? "\n" : "\r\n");
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();

        // Each round starts from a fresh program state and window.
        g() = ProgramState{};
        g().goReg = &store;
        g().goFSO = fs;
        TestProfileForm window;
        window.root = root();
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
        if (ok) {
            ++fullReads;
            EXPECT_EQ(taken, expected.size());
            EXPECT_EQ(window.list.count(), expected.size());
        } else {
            ++stoppedReads;
            EXPECT_TRUE(g().gbErrorFlag);
            EXPECT_GT(boxes.shown, boxesBefore) << "stopped without a message";
        }
    }
    // The generator reaches both outcomes.
    EXPECT_GT(fullReads, 0);
    EXPECT_GT(stoppedReads, 0);
}

} // namespace
} // namespace pelto::test
