// A check while a trace receiver listens: the walk then reads its sorted lists through the traced
// Key and Item, and must find exactly what it finds without the trace.

#include "CompareFixture.h"

#include "diag/Trace.h"
#include "diag/TraceReceiverThread.h"

namespace pelto::test {
namespace {

class TracedWalk : public CompareTest {
protected:
    QList<QStringList> resultLines() {
        QList<QStringList> lines;
        for (ResultList* list : {&form_.lstSrcFile(), &form_.lstDstFile(), &form_.lstSrcFolder(),
                                 &form_.lstDstFolder(), &form_.lstSrcFolder2(),
                                 &form_.lstDstFolder2(), &form_.lstShowDirs()}) {
            lines.append(list->items());
            list->clear();
        }
        return lines;
    }
};

TEST_F(TracedWalk, TheTraceShowsTheWalksReadsAndChangesNoLine) {
    makeFile("src/a.txt");
    makeFile("src/B.txt", kBaseMs + 2000);
    makeFile("dst/b.txt");
    makeFile("dst/x.log");
    makeFile("src/Case.txt"); // two names for one key: left out on both sides
    makeFile("src/case.TXT");
    makeFile("dst/case.txt");
    makeFile("src/Sub/f1", kBaseMs + 5000);
    makeFile("dst/sub/F1");
    makeFile("src/Only/o");

    ASSERT_TRUE(check());
    const QList<QStringList> untraced = resultLines();
    ASSERT_EQ(untraced[0].size(), 5) << "two headers, a, b and f1";

    QTemporaryDir runtime;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    diag::ResetTrace();
    QStringList reads;
    {
        test::TraceReceiverThread viewer(QString::fromLatin1(diag::kTraceViewName));
        ASSERT_TRUE(viewer.listening());
        CheckLists(nullptr, nullptr, QStringLiteral("folder"), QStringLiteral("dummy"),
                   QStringLiteral("dummy"), form_, true);
        ASSERT_TRUE(check());
        // Entry lines, "[...] ->" and tabs, then "SortList : Function Key : (i=1)".
        for (const QString& line : viewer.lines()) {
            if (!line.contains(QStringLiteral("] ->")))
                continue;
            for (const QLatin1StringView read : {QLatin1StringView("SortList : Function Key"),
                                                 QLatin1StringView("SortList : Function Item")}) {
                const qsizetype at = line.indexOf(read);
                if (at >= 0)
                    reads.append(line.mid(at).trimmed());
            }
        }
    }
    diag::ResetTrace();
    qputenv("XDG_RUNTIME_DIR", oldRuntime);

    EXPECT_EQ(resultLines(), untraced);
    // Every position of every list is read once through Key and once through Item.
    const qsizetype firstReads = reads.count(QStringLiteral("SortList : Function Key : (i=1)"));
    EXPECT_GE(firstReads, 4) << "the file and folder lists of the top folder at least";
    EXPECT_EQ(reads.count(QStringLiteral("SortList : Function Item : (i=1)")), firstReads);
}

} // namespace
} // namespace pelto::test
