// Profile files made of generated lines (random bytes, tabs, very long lines, half brackets,
// quotes, the keywords in odd places) must never crash the reader nor reach the failure
// report: every read either takes every line of the section or stops at a reported line,
// keeping the lines before it. The seed is fixed, so a failure repeats.

#include "ProfileFixture.h"

#include "profiles/ProfileLine.h"
#include "profiles/ProfileTables.h"

#include <random>

namespace pelto::test {
namespace {

// Answers every box the cautious way and counts what was shown.
class LenientDialogs : public Dialogs {
public:
    LenientDialogs() { setDialogs(this); }
    ~LenientDialogs() override { setDialogs(nullptr); }
    LenientDialogs(const LenientDialogs&) = delete;
    LenientDialogs& operator=(const LenientDialogs&) = delete;

    BoxAnswer ask(BoxButtons buttons, const QString& text, const QString&, BoxIcon) override {
        ++shown;
        if (buttons == BoxButtons::AbortRetryIgnore) {
            failureReports.append(text);
            return BoxAnswer::Abort;
        }
        return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
    }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }

    int shown = 0;
    QStringList failureReports;
};

// A settings store in memory: the history is written on every full read, and the fuzzing is
// about the reader, not about the speed of the store's file.
class MemoryBackend : public SettingsBackend {
public:
    QString read(const QString& a, const QString& s, const QString& k) override {
        return values_.value(address(a, s, k));
    }
    void save(const QString& a, const QString& s, const QString& k, const QString& v) override {
        values_.insert(address(a, s, k), v);
    }
    bool remove(const QString& a, const QString& s, const QString& k) override {
        return values_.remove(address(a, s, k)) > 0;
    }

private:
    static QString address(const QString& a, const QString& s, const QString& k) {
        return a + QLatin1Char('\n') + s + QLatin1Char('\n') + k;
    }
    QHash<QString, QString> values_;
};

class LineGenerator {
public:
    LineGenerator(QByteArray source, QByteArray destination)
        : source_(std::move(source)), destination_(std::move(destination)) {}

    QByteArray line() {
        switch (pick(0, 9)) {
        case 6:
            return ";" + freeForm();
        case 7:
            return " " + freeForm();
        case 8:
        case 9:
            return freeForm();
        default:
            return structured();
        }
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    // A folder pair that exists, with the keywords and random exclusion text after it.
    QByteArray structured() {
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

    QByteArray freeForm() {
        QByteArray out;
        for (int i = pick(1, 8); i > 0; --i)
            out += piece() + separator();
        if (pick(0, 9) == 0)
            out += QByteArray(pick(300, 5000), static_cast<char>(pick(0x20, 0x7e)));
        return out;
    }

    QByteArray randomBytes() {
        QByteArray out;
        const int n = pick(1, 12);
        for (int i = 0; i < n; ++i)
            out += static_cast<char>(pick(1, 255));
        return out;
    }

    QByteArray separator() {
        static const QByteArray kSeparators[] = {" ", "\t", "", "  ", " \t "};
        return kSeparators[pick(0, 4)];
    }

    QByteArray piece() {
        switch (pick(0, 17)) {
        case 0:
        case 1:
            return source_;
        case 2:
        case 3:
            return destination_;
        case 4:
            return "exclude";
        case 5:
            return "EXCLUDE ";
        case 6:
            return "subdirs";
        case 7:
            return "[";
        case 8:
            return "]";
        case 9:
            return "\"";
        case 10:
            return "*.tmp \"a  b*\"";
        case 11:
            return "C:\\Work";
        case 12:
            return ";";
        case 13:
            return "/";
        case 14:
            return "/no/such/folder";
        case 15:
            return "caf\xc3\xa9 \xe2\x82\xac";
        default:
            return randomBytes();
        }
    }

    std::mt19937 rng_{20260307u};
    QByteArray source_;
    QByteArray destination_;
};

// The lines of section "P" the reader must take, by the file's own rules.
QStringList sectionLines(const QStringList& lines) {
    QStringList out;
    bool inside = false;
    for (const QString& line : lines) {
        const QString trimmed = trimBlanks(line);
        const bool header = trimmed.startsWith(u'[') && trimmed.endsWith(u']');
        if (!inside) {
            inside = trimmed == QLatin1StringView("[P]");
            continue;
        }
        if (line.startsWith(u';'))
            continue;
        if (header)
            break;
        if (line.isEmpty() || line.startsWith(u' '))
            continue;
        out.append(QString(line).replace(u'\t', u' '));
    }
    return out;
}

TEST_F(ProfileTest, GeneratedLinesNeverCrashTheReaderNorLoseLines) {
    const QString src = folder(QStringLiteral("src"));
    const QString dst = folder(QStringLiteral("dst"));
    LineGenerator generate(src.toUtf8(), dst.toUtf8());
    std::mt19937 rng(77u);
    LenientDialogs boxes;
    Registry store(std::make_unique<MemoryBackend>());
    store.setApplicationName(QStringLiteral("Pelto"));

    int fullReads = 0;
    int stoppedReads = 0;
    for (int round = 0; round < 250; ++round) {
        QByteArray bytes = "[P]\r\n";
        const int count = std::uniform_int_distribution<int>(1, 12)(rng);
        for (int i = 0; i < count; ++i) {
            bytes += generate.line();
            bytes += (i % 3 == 0) ? "\n" : "\r\n";
        }
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();

        // Each round starts from a fresh program state and window.
        FileSystem* const fs = g().goFSO;
        resetProgramState();
        g().goReg = &store;
        g().goFSO = fs;
        TestProfileForm window;
        window.root = root();
        const int boxesBefore = boxes.shown;

        const QStringList expected = sectionLines(readTextLines(iniPath()));
        ReadINI(QStringLiteral("Load"), window, iniPath());
        const bool ok = ReadProfile(QStringLiteral("P"), window);
        const TextTable& table = g().gasProfile;
        qsizetype taken = 0;
        while (taken < expected.size() && taken + 1 <= table.upperBound() &&
               !table.at(profile::kLine, static_cast<int>(taken + 1)).isEmpty())
            ++taken;
        ASSERT_TRUE(boxes.failureReports.isEmpty())
            << "round " << round << ": " << boxes.failureReports.first().toStdString();
        for (qsizetype n = 0; n < taken; ++n)
            ASSERT_EQ(table.at(profile::kLine, static_cast<int>(n + 1)), expected[n])
                << "round " << round;
        if (ok) {
            ++fullReads;
            EXPECT_EQ(taken, expected.size()) << "round " << round;
            EXPECT_EQ(window.list.count(), expected.size()) << "round " << round;
        } else {
            ++stoppedReads;
            EXPECT_TRUE(g().gbErrorFlag);
            EXPECT_GT(boxes.shown, boxesBefore)
                << "round " << round << ": stopped without a message";
        }
    }
    RecordProperty("fullReads", fullReads);
    RecordProperty("stoppedReads", stoppedReads);
    // The generator reaches both outcomes.
    EXPECT_GT(fullReads, 0);
    EXPECT_GT(stoppedReads, 0);
}

} // namespace
} // namespace pelto::test
