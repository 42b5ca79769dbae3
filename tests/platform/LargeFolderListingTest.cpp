// A folder whose entries take several reads of the folder: every entry is listed once, with its
// kind, and nothing else.
#include "FsTestTree.h"

#include "platform/linux/LinuxFileSystem.h"

#include <QSet>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

TEST(LargeFolderListing, EntriesBeyondOneReadBufferAreAllListedOnce) {
    FsTestTree tree;
    // About 100 bytes of folder record each: 2500 of them fill several 32 KiB reads.
    QSet<QString> files;
    for (int i = 0; i < 2500; ++i) {
        const QString name =
            QStringLiteral("file number %1 with a name long enough to fill records")
                .arg(i, 5, 10, QLatin1Char('0')) +
            (i % 7 == 0 ? QString::fromUtf8(" é") : QString());
        tree.write(name, "x");
        files.insert(name);
    }
    for (int i = 0; i < 40; ++i)
        tree.makeFolder(QStringLiteral("folder %1").arg(i));

    LinuxFileSystem fs;
    QSet<QString> listedFiles;
    int listedFolders = 0;
    for (const DirEntry& entry : fs.List(tree.root())) {
        if (entry.kind == EntryKind::Folder) {
            ++listedFolders;
            continue;
        }
        EXPECT_FALSE(listedFiles.contains(entry.name)) << "listed twice";
        listedFiles.insert(entry.name);
    }
    EXPECT_EQ(listedFiles, files);
    EXPECT_EQ(listedFolders, 40);
}

} // namespace
} // namespace pelto::test
