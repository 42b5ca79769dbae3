#pragma once
// Copy tests: the compare fixture's trees, log and window, with the fault-injecting service over
// the Linux one (chosen folders made drive roots, created folders recorded in order), production
// mode, and result lists made by the real check.

#include "engine/compare/CompareFixture.h"
#include "engine/copy/Copy.h"
#include "platform/FsPath.h"

#include <QFileInfo>
#include <QMap>
#include <functional>

namespace pelto::test {

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
    // Listings gain this many made-up file names (a folder too large to build).
    QList<DirEntry> List(const QString& folderPath) override {
        QList<DirEntry> entries = FaultInjectingFileSystem::List(folderPath);
        const int extra = extraFiles.value(fspath::normalize(folderPath));
        for (int n = 0; n < extra; ++n)
            entries.append(DirEntry{QStringLiteral("extra") + QString::number(n)});
        return entries;
    }

    QSet<QString> driveRoots;
    QHash<QString, int> extraFiles;
    QStringList created;
    std::function<void(const QString& source)> afterCopy;
};

// Everything a copy, a delete or an attribute change could alter in one item.
struct ItemState {
    bool folder = false;
    QByteArray content;
    qint64 modifiedMs = 0;
    int permissions = 0;
    int attributes = 0;
    bool operator==(const ItemState&) const = default;
};

class CopyTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        g().goFSO = &fs_;
        form_.setOptTest(false);
        BeginCopyRun();
    }
    void TearDown() override {
        TreeTest::TearDown();
        BeginCopyRun();
    }

    QByteArray read(const QString& rel) const {
        QFile f(at(rel));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    bool exists(const QString& rel) const { return QFileInfo::exists(at(rel)); }
    int attributes(const QString& rel) { return real_.AttributesOf(at(rel)); }
    void setAttributes(const QString& rel, int value) { real_.SetAttributesOf(at(rel), value); }

    // Fills the result lists afresh by checking src against dst (or the given folders).
    bool check(const QString& src = {}, const QString& dst = {}) {
        newCheck();
        return CheckFolders(src.isEmpty() ? S() : src, dst.isEmpty() ? D() : dst, form_, true);
    }
    bool nothingListed() {
        return form_.lstSrcFolder().count() == 0 && form_.lstDstFolder().count() == 0 &&
               form_.lstSrcFile().count() == 0 && form_.lstDstFile().count() == 0;
    }
    bool copy() {
        BeginCopyRun();
        return CopyFolders(S(), D(), form_);
    }
    bool copyFiles() { return pelto::CopyFiles(S(), D(), form_); }

    // Every item below the tree's top folder, by relative path.
    QMap<QString, ItemState> snapshot() {
        QMap<QString, ItemState> items;
        snapshotInto(tree_.path(), QString(), items);
        return items;
    }

    // The files below a folder of the tree (relative to it) and their contents.
    QMap<QString, QByteArray> filesIn(const QString& rel) {
        QMap<QString, QByteArray> files;
        for (const auto& [path, state] : snapshot().asKeyValueRange())
            if (!state.folder && path.startsWith(rel + '/'))
                files.insert(path.mid(rel.size() + 1), state.content);
        return files;
    }
    using Files = QMap<QString, QByteArray>;

    LinuxFileSystem real_;
    CopyTestFileSystem fs_{real_};

private:
    void snapshotInto(const QString& folder, const QString& rel, QMap<QString, ItemState>& out) {
        for (const QFileInfo& info : QDir(folder).entryInfoList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                 QDir::Name)) {
            const QString path = rel.isEmpty() ? info.fileName() : rel + '/' + info.fileName();
            ItemState state{info.isDir() && !info.isSymLink(),
                            {},
                            info.lastModified().toMSecsSinceEpoch(),
                            int(info.permissions()),
                            real_.AttributesOf(info.filePath())};
            if (!state.folder) {
                QFile f(info.filePath());
                if (f.open(QIODevice::ReadOnly))
                    state.content = f.readAll();
            }
            out.insert(path, state);
            if (state.folder)
                snapshotInto(info.filePath(), path, out);
        }
    }
};

} // namespace pelto::test
