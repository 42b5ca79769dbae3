#pragma once
// Real folder trees in a temporary folder, a manual clock, scripted dialogs, an error log of its
// own and a headless main window; CompareTest adds the Linux service with per-path call counts
// behind the fault-injecting one.

#include "diag/ErrorLog.h"
#include "diag/Trace.h"
#include "diag/TraceReceiverThread.h"
#include "engine/compare/Compare.h"
#include "engine/compare/HeadlessMainForm.h"
#include "platform/ProgramState.h"
#include "platform/linux/LinuxFileSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ManualClock.h"
#include "support/ScriptedDialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>

// Readable failure messages (control characters and NBSP shown as \u escapes).
inline void PrintTo(const QString& text, std::ostream* os) {
    QString shown;
    for (const QChar c : text)
        shown += c.unicode() < 0x20 || c.unicode() == 0xA0
                     ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                     : QString(c);
    *os << '"' << shown.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << "{\n";
    for (const QString& line : list) {
        *os << "  ";
        PrintTo(line, os);
        *os << "\n";
    }
    *os << "}";
}

namespace pelto::test {

// The calls a trace receiver sees while `run` runs, without time stamps and indents.
inline QStringList tracedCalls(const std::function<void()>& run) {
    QTemporaryDir runtime;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    diag::ResetTrace();
    QStringList calls;
    {
        TraceReceiverThread viewer(QString::fromLatin1(diag::kTraceViewName));
        EXPECT_TRUE(viewer.listening());
        run();
        for (const QString& line : viewer.lines()) {
            const qsizetype at = line.indexOf(QStringLiteral("] ->"));
            if (at >= 0)
                calls.append(line.mid(at + 4).remove(QLatin1Char('\t')).trimmed());
        }
    }
    diag::ResetTrace();
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    return calls;
}

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tree_.isValid());
        ASSERT_TRUE(logDir_.isValid());
        setClock(&clock_);
        diag::SetLogFile(logDir_.filePath(QStringLiteral("Error Log.txt")));
        diag::SetLogEnabled(true);
        diag::StartTimer();
        dialogs_.emplace();
    }
    void TearDown() override {
        EXPECT_EQ(dialogs_->unanswered(), 0) << "scripted answers left over";
        dialogs_.reset();
    }

    QString at(const QString& rel) const { return tree_.filePath(rel); }
    QString S() const { return at(QStringLiteral("src")); }
    QString D() const { return at(QStringLiteral("dst")); }
    void makeDir(const QString& rel) const { ASSERT_TRUE(QDir().mkpath(at(rel))); }

    // A file with the given content and modification time (milliseconds since the epoch).
    void makeFile(const QString& rel, const QByteArray& content = "x",
                  qint64 modifiedMs = kBaseMs) const {
        const QString path = at(rel);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        ASSERT_TRUE(f.flush()); // so that closing does not change the time again
        ASSERT_TRUE(f.setFileTime(QDateTime::fromMSecsSinceEpoch(modifiedMs),
                                  QFileDevice::FileModificationTime));
    }
    void makeFile(const QString& rel, qint64 modifiedMs) const { makeFile(rel, "x", modifiedMs); }
    // Files as makeFile makes them and, for paths ending in '/', folders.
    void makeFiles(std::initializer_list<const char*> rels) const {
        for (const QString rel : rels)
            rel.endsWith(u'/') ? makeDir(rel) : makeFile(rel);
    }

    // The messages of the error log, without its run header and empty lines.
    static QStringList loggedMessages() {
        QStringList messages;
        for (const QString& line : diag::messageLog().text().split(QStringLiteral("\r\n")))
            if (!line.isEmpty() && !line.startsWith(QLatin1String("Message Log:")) &&
                !line.startsWith(QLatin1String("Logging started ")) &&
                !line.startsWith(QLatin1String("Program version ")))
                messages.append(line);
        return messages;
    }

    // A header of lstSrcFile ("Dir: a to b") or, without b, of lstDstFile.
    static QString dir(const QString& a, const QString& b = {}) {
        return QStringLiteral("Dir: ") + a + (b.isEmpty() ? QString() : QStringLiteral(" to ") + b);
    }
    static QString tagged(int n, const QString& text) {
        return QString::number(n) + QStringLiteral(": ") + text + kNbsp;
    }
    // How ShowDirs fits a path into its 55 columns.
    static QString fitted(const QString& path) {
        return path.size() >= 55 ? path.left(3) + QStringLiteral("...") + path.right(49)
                                 : path.leftJustified(55, u' ');
    }

    // Every result list: source files, destination files, source folders, destination folders,
    // the two lists of folders walked, the two second file lists, the folders shown.
    QList<ResultList*> resultLists() {
        return {&form_.lstSrcFile(),   &form_.lstDstFile(),    &form_.lstSrcFolder(),
                &form_.lstDstFolder(), &form_.lstSrcFolder2(), &form_.lstDstFolder2(),
                &form_.lstSrcFile2(),  &form_.lstDstFile2(),   &form_.lstShowDirs()};
    }
    QList<QStringList> results() {
        QList<QStringList> lines;
        for (ResultList* list : resultLists())
            lines.append(list->items());
        return lines;
    }
    // Empties the lists and starts a new check (numbers from 1 again).
    void newCheck() {
        for (ResultList* list : resultLists())
            list->clear();
        CheckLists(nullptr, nullptr, QStringLiteral("folder"), QStringLiteral("dummy"),
                   QStringLiteral("dummy"), form_, true);
    }
    // An exclusion table as a profile line gives it.
    static void setExcludes(const QStringList& specs, bool subdirs) {
        g().gasExcludes = QStringList(102);
        g().gasExcludes[0] = QString::number(specs.size() + 1);
        g().gasExcludes[1] = subdirs ? QStringLiteral("subdirs") : QString();
        for (qsizetype k = 0; k < specs.size(); ++k)
            g().gasExcludes[k + 2] = specs[k];
        g().gbExcludes = true;
    }

    static constexpr qint64 kBaseMs = 1'600'000'000'000;

    QTemporaryDir tree_;
    QTemporaryDir logDir_;
    ManualClock clock_;
    HeadlessMainForm form_;
    std::optional<ScriptedDialogs> dialogs_;
};

// The Linux service, counting calls per path, with chosen folders taken as drive roots.
class ProbedFileSystem : public LinuxFileSystem {
public:
    QList<DirEntry> List(const QString& folderPath) override {
        listed[folderPath] += 1;
        return LinuxFileSystem::List(folderPath);
    }
    QDateTime LastModifiedOf(const QString& path) override {
        stated[path] += 1;
        return LinuxFileSystem::LastModifiedOf(path);
    }
    int AttributesOf(const QString& path) override {
        attributesRead[path] += 1;
        return LinuxFileSystem::AttributesOf(path);
    }
    bool IsDriveRoot(const QString& path) override {
        return driveRoots.contains(path) || LinuxFileSystem::IsDriveRoot(path);
    }

    QHash<QString, int> listed, stated, attributesRead;
    QSet<QString> driveRoots;
};

class CompareTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        g().goFSO = &faults_;
        CheckLists(nullptr, nullptr, QStringLiteral("folder"), QStringLiteral("dummy"),
                   QStringLiteral("dummy"), form_, true);
    }

    bool check(const QString& srcRel = QStringLiteral("src"),
               const QString& dstRel = QStringLiteral("dst"), bool firstCall = true) {
        return CheckFolders(at(srcRel), at(dstRel), form_, firstCall);
    }

    ProbedFileSystem fs_;
    FaultInjectingFileSystem faults_{fs_};
};

} // namespace pelto::test
