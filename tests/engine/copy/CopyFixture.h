#pragma once
// A clean world for copy tests: real folder trees in a temporary folder, reached through the
// fault-injecting file-system service over the Linux one (with chosen folders made drive roots
// and the folders it creates recorded in order), a manual clock, scripted dialogs, an error log of
// its own, and a headless main window in production mode. The result lists are made by running
// the real check on the trees.

#include "diag/ErrorLog.h"
#include "engine/compare/Compare.h"
#include "engine/compare/HeadlessMainForm.h"
#include "engine/compare/ProgramState.h"
#include "engine/copy/Copy.h"
#include "platform/Clock.h"
#include "platform/FaultInjectingFileSystem.h"
#include "platform/FsPath.h"
#include "platform/LinuxFileSystem.h"
#include "support/ScriptedDialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace pelto::test {

// The fault-injecting service with two more test seams.
class CopyTestFileSystem : public FaultInjectingFileSystem {
public:
    explicit CopyTestFileSystem(FileSystem& inner) : FaultInjectingFileSystem(inner) {}

    bool IsDriveRoot(const QString& path) override {
        return driveRoots.contains(fspath::normalize(path)) ||
               FaultInjectingFileSystem::IsDriveRoot(path);
    }
    void CreateFolder(const QString& path) override {
        FaultInjectingFileSystem::CreateFolder(path);
        created.append(fspath::normalize(path));
    }
    void CopyFile(const QString& source, const QString& destination,
                  bool overwrite = true) override {
        FaultInjectingFileSystem::CopyFile(source, destination, overwrite);
        if (afterCopy)
            afterCopy(source);
    }

    // Listings of a folder gain this many made-up file names (a folder too large to build).
    QList<DirEntry> List(const QString& folderPath) override {
        QList<DirEntry> entries = FaultInjectingFileSystem::List(folderPath);
        const int extra = extraFiles.value(fspath::normalize(folderPath));
        for (int n = 0; n < extra; ++n)
            entries.append(DirEntry{QStringLiteral("extra") + QString::number(n)});
        return entries;
    }

    // Folders answered as drive roots, besides the real mount points.
    QSet<QString> driveRoots;
    QHash<QString, int> extraFiles;
    // Folders created, in order.
    QStringList created;
    // Runs after every successful copy.
    std::function<void(const QString& source)> afterCopy;
};

// One item of a tree snapshot: everything a copy, a delete or an attribute change could alter.
struct ItemState {
    bool folder = false;
    QByteArray content;
    qint64 modifiedMs = 0;
    int permissions = 0;
    int attributes = 0;
    bool operator==(const ItemState&) const = default;
};

class CopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tree_.isValid());
        ASSERT_TRUE(logDir_.isValid());
        resetProgramState();
        g().goFSO = &fs_;
        setClock(&clock_);
        diag::ResetErrorLog();
        diag::SetLogFile(logDir_.filePath(QStringLiteral("Error Log.txt")));
        diag::SetLogEnabled(true);
        diag::StartTimer();
        dialogs_.emplace();
        form_.setOptTest(false);
        BeginCopyRun();
    }

    void TearDown() override {
        EXPECT_EQ(dialogs_->unanswered(), 0) << "scripted answers left over";
        dialogs_.reset();
        diag::ResetErrorLog();
        setClock(nullptr);
        resetProgramState();
        BeginCopyRun();
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
        // Written out first, so that closing the file does not change its time again.
        ASSERT_TRUE(f.flush());
        ASSERT_TRUE(f.setFileTime(QDateTime::fromMSecsSinceEpoch(modifiedMs),
                                  QFileDevice::FileModificationTime));
    }

    QByteArray read(const QString& rel) const {
        QFile f(at(rel));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    bool exists(const QString& rel) const { return QFileInfo::exists(at(rel)); }
    int attributes(const QString& rel) { return real_.AttributesOf(at(rel)); }
    void setAttributes(const QString& rel, int value) { real_.SetAttributesOf(at(rel), value); }

    // Fills the result lists by checking src against dst (or the given folders).
    bool check(const QString& src = {}, const QString& dst = {}) {
        for (ResultList* list : {&form_.lstSrcFolder(), &form_.lstDstFolder(), &form_.lstSrcFile(),
                                 &form_.lstDstFile(), &form_.lstSrcFolder2(),
                                 &form_.lstDstFolder2(), &form_.lstShowDirs()})
            list->clear();
        CheckLists(nullptr, nullptr, QStringLiteral("folder"), QStringLiteral("dummy"),
                   QStringLiteral("dummy"), form_, true);
        return CheckFolders(src.isEmpty() ? S() : src, dst.isEmpty() ? D() : dst, form_, true);
    }

    // True when the last check found nothing to do.
    bool nothingListed() {
        return form_.lstSrcFolder().count() == 0 && form_.lstDstFolder().count() == 0 &&
               form_.lstSrcFile().count() == 0 && form_.lstDstFile().count() == 0;
    }

    // A copy run as the copy workflow starts it.
    bool copy() {
        BeginCopyRun();
        return CopyFolders(S(), D(), form_);
    }

    // Every item below the tree's top folder, by relative path.
    QMap<QString, ItemState> snapshot() {
        QMap<QString, ItemState> items;
        snapshotInto(tree_.path(), QString(), items);
        return items;
    }

    // The messages of the error log, without its run header and empty lines.
    static QStringList loggedMessages() {
        const QStringList lines = diag::messageLog().text().split(QStringLiteral("\r\n"));
        QStringList messages;
        for (const QString& line : lines) {
            if (!line.isEmpty() && !line.startsWith(QLatin1String("Message Log:")) &&
                !line.startsWith(QLatin1String("Logging started ")) &&
                !line.startsWith(QLatin1String("Program version ")))
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
    LinuxFileSystem real_;
    CopyTestFileSystem fs_{real_};
    ManualClock clock_;
    HeadlessMainForm form_;
    std::optional<ScriptedDialogs> dialogs_;

private:
    void snapshotInto(const QString& folder, const QString& rel, QMap<QString, ItemState>& out) {
        const QDir dir(folder);
        for (const QFileInfo& info : dir.entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot,
                                                       QDir::Name)) {
            const QString path = rel.isEmpty() ? info.fileName() : rel + '/' + info.fileName();
            ItemState state;
            state.folder = info.isDir() && !info.isSymLink();
            state.modifiedMs = info.lastModified().toMSecsSinceEpoch();
            state.permissions = int(info.permissions());
            state.attributes = real_.AttributesOf(info.filePath());
            if (state.folder) {
                out.insert(path, state);
                snapshotInto(info.filePath(), path, out);
            } else {
                QFile f(info.filePath());
                if (f.open(QIODevice::ReadOnly))
                    state.content = f.readAll();
                out.insert(path, state);
            }
        }
    }
};

} // namespace pelto::test
