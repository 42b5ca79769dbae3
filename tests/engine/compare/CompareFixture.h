#pragma once
// Real folder trees in a temporary folder, a manual clock, scripted dialogs, an error log of its
// own and a headless main window; CompareTest walks through a probing, fault-injecting service.

#include "diag/ErrorLog.h"
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
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

// Failure messages show control characters and NBSP as \u escapes.
inline void PrintTo(const QString& text, std::ostream* os) {
    QString shown;
    for (const QChar c : text)
        shown += c.unicode() < 0x20 || c.unicode() == 0xA0
                     ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                     : QString(c);
    *os << '"' << shown.toStdString() << '"';
}

namespace pelto::test {

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
    void TearDown() override { EXPECT_EQ(dialogs_->unanswered(), 0) << "answers left over"; }

    static constexpr qint64 kBaseMs = 1'600'000'000'000;
    // Makes a tree from items "path[=content][@ms]": a path ending in '/' is a folder, any other a
    // file holding the content ("x" if none), modified the given ms after kBaseMs.
    void makeTree(const QStringList& items) const {
        for (const QString& item : items) {
            const QString rel = item.section(u'=', 0, 0).section(u'@', 0, 0);
            const QString content =
                item.contains(u'=') ? item.section(u'=', 1).section(u'@', 0, 0) : QString(u'x');
            const qint64 offsetMs = item.section(u'@', 1).toLongLong();
            rel.endsWith(u'/') ? makeDir(rel) : makeFile(rel, content.toUtf8(), kBaseMs + offsetMs);
        }
    }
    QString at(const QString& rel) const { return tree_.filePath(rel); }
    QString S() const { return at(QStringLiteral("src")); }
    QString D() const { return at(QStringLiteral("dst")); }
    void makeDir(const QString& rel) const { ASSERT_TRUE(QDir().mkpath(at(rel))); }
    void makeFile(const QString& rel, const QByteArray& content = "x",
                  qint64 modifiedMs = kBaseMs) const {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(at(rel)).path()));
        QFile f(at(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        ASSERT_TRUE(f.flush()); // so that closing does not change the time again
        ASSERT_TRUE(f.setFileTime(QDateTime::fromMSecsSinceEpoch(modifiedMs),
                                  QFileDevice::FileModificationTime));
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

    // Source and destination files and folders, second folder and file lists, folders shown.
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
        g().gasExcludes =
            QStringList{QString::number(specs.size() + 1), subdirs ? "subdirs" : ""} + specs;
        g().gasExcludes.resize(102);
        g().gbExcludes = true;
    }

    QTemporaryDir tree_;
    QTemporaryDir logDir_;
    ManualClock clock_;
    HeadlessMainForm form_;
    std::optional<ScriptedDialogs> dialogs_;
};

// The Linux service, counting calls per path.
class ProbedFileSystem : public LinuxFileSystem {
public:
    QList<DirEntry> List(const QString& p) override {
        ++listed[p];
        return LinuxFileSystem::List(p);
    }
    QDateTime LastModifiedOf(const QString& p) override {
        ++stated[p];
        return LinuxFileSystem::LastModifiedOf(p);
    }
    int AttributesOf(const QString& p) override {
        ++attributesRead[p];
        return LinuxFileSystem::AttributesOf(p);
    }
    QHash<QString, int> listed, stated, attributesRead;
};

class CompareTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        g().goFSO = &faults_;
        newCheck();
    }
    bool check(const QString& srcRel = QStringLiteral("src"),
               const QString& dstRel = QStringLiteral("dst")) {
        return CheckFolders(at(srcRel), at(dstRel), form_, true);
    }

    ProbedFileSystem fs_;
    FaultInjectingFileSystem faults_{fs_};
};

} // namespace pelto::test
