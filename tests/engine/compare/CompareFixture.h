#pragma once
// A clean world for comparison tests: real folder trees in a temporary folder, the Linux
// file-system service with per-path call counts and chosen folders taken as drive roots, behind
// the fault-injecting service so that chosen operations fail, a manual clock, scripted dialogs, an
// error log in a folder of its own, and a headless main window.

#include "diag/ErrorLog.h"
#include "engine/compare/Compare.h"
#include "engine/compare/HeadlessMainForm.h"
#include "engine/compare/ProgramState.h"
#include "platform/Clock.h"
#include "platform/FaultInjectingFileSystem.h"
#include "platform/LinuxFileSystem.h"
#include "support/ScriptedDialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>

// Readable failure messages for lines and lists of lines (control characters shown as \u escapes).
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

    QHash<QString, int> listed;
    QHash<QString, int> stated;
    QHash<QString, int> attributesRead;
    QSet<QString> driveRoots;
};

class CompareTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tree_.isValid());
        ASSERT_TRUE(logDir_.isValid());
        resetProgramState();
        g().goFSO = &faults_;
        setClock(&clock_);
        diag::ResetErrorLog();
        diag::SetLogFile(logDir_.filePath(QStringLiteral("Error Log.txt")));
        diag::SetLogEnabled(true);
        diag::StartTimer();
        dialogs_.emplace();
        CheckLists(nullptr, nullptr, QStringLiteral("folder"), QStringLiteral("dummy"),
                   QStringLiteral("dummy"), form_, true);
    }

    void TearDown() override {
        EXPECT_EQ(dialogs_->unanswered(), 0) << "scripted answers left over";
        dialogs_.reset();
        diag::ResetErrorLog();
        setClock(nullptr);
        resetProgramState();
    }

    // Full path of a path relative to the tree.
    QString at(const QString& rel) const { return tree_.filePath(rel); }

    void makeDir(const QString& rel) const { ASSERT_TRUE(QDir().mkpath(at(rel))); }

    // A file with the given modification time (milliseconds since the epoch).
    void makeFile(const QString& rel, qint64 modifiedMs = kBaseMs,
                  const QByteArray& content = "x") const {
        const QString path = at(rel);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        ASSERT_TRUE(f.flush());
        ASSERT_TRUE(f.setFileTime(QDateTime::fromMSecsSinceEpoch(modifiedMs),
                                  QFileDevice::FileModificationTime));
    }

    bool check(const QString& srcRel = QStringLiteral("src"),
               const QString& dstRel = QStringLiteral("dst"), bool firstCall = true) {
        return CheckFolders(at(srcRel), at(dstRel), form_, firstCall);
    }

    // What the error log's message window shows, without its run header.
    static QStringList loggedMessages() {
        QStringList lines = diag::messageLog().text().split(QStringLiteral("\r\n"));
        QStringList messages;
        bool pastHeader = false;
        for (const QString& line : lines) {
            if (line.startsWith(QLatin1String("Program version")))
                pastHeader = true;
            else if (pastHeader && !line.isEmpty())
                messages.append(line);
        }
        return messages;
    }

    // A numbered line: n + ": " + text + NBSP.
    static QString tagged(int n, const QString& text) {
        return QString::number(n) + QStringLiteral(": ") + text + kNbsp;
    }

    static constexpr qint64 kBaseMs = 1'600'000'000'000;

    QTemporaryDir tree_;
    QTemporaryDir logDir_;
    ProbedFileSystem fs_;
    FaultInjectingFileSystem faults_{fs_};
    ManualClock clock_;
    HeadlessMainForm form_;
    std::optional<ScriptedDialogs> dialogs_;
};

} // namespace pelto::test
