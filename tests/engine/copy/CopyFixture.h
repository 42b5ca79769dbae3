#pragma once
// Copy tests: the compare fixture in production mode, lists from the real check, injected faults.

#include "engine/compare/CompareFixture.h"
#include "engine/copy/Copy.h"
#include "platform/FsPath.h"

#include <QDirIterator>
#include <QFileInfo>
#include <functional>

namespace pelto::test {

// Chosen folders taken as drive roots, created folders recorded in order, a hook after each copy.
class CopyTestFileSystem : public FaultInjectingFileSystem {
public:
    using FaultInjectingFileSystem::FaultInjectingFileSystem;
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
            afterCopy();
    }
    // Below this folder, look-ups answer as on a volume that ignores letter case.
    std::optional<QString> ResolvePath(const QString& path, EntryKind kind) override {
        std::optional<QString> found = FaultInjectingFileSystem::ResolvePath(path, kind);
        if (!foldingBelow.isEmpty() && found && path.startsWith(foldingBelow) &&
            found->compare(fspath::normalize(path), Qt::CaseInsensitive) == 0)
            return fspath::normalize(path);
        return found;
    }
    QString foldingBelow;
    QSet<QString> driveRoots;
    QStringList created;
    std::function<void()> afterCopy;
};

class CopyTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        g().goFSO = &fs_;
        form_.setOptTest(false);
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
        return form_.lstSrcFolder().count() + form_.lstDstFolder().count() +
                   form_.lstSrcFile().count() + form_.lstDstFile().count() ==
               0;
    }
    bool copy() {
        BeginCopyRun();
        return CopyFolders(S(), D(), form_);
    }
    bool copyFiles() { return pelto::CopyFiles(S(), D(), form_); }
    // Every item below folder `rel`, by relative path: "sub/" for a folder, "name=content" for a
    // file; with `full`, also time, permissions and attributes.
    QStringList snapshot(const QString& rel, bool full = false) {
        QStringList items;
        QDirIterator it(at(rel),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info = it.nextFileInfo();
            QString line = QDir(at(rel)).relativeFilePath(info.filePath());
            if (info.isDir() && !info.isSymLink()) {
                line += u'/';
            } else {
                QFile f(info.filePath());
                line += u'=' + (f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll())
                                                            : QStringLiteral("<unreadable>"));
            }
            if (full)
                line += QStringLiteral(" @%1 %2 %3")
                            .arg(info.lastModified().toMSecsSinceEpoch())
                            .arg(int(info.permissions()))
                            .arg(real_.AttributesOf(info.filePath()));
            items.append(line);
        }
        items.sort();
        return items;
    }

    LinuxFileSystem real_;
    CopyTestFileSystem fs_{real_};
};

} // namespace pelto::test
