// The check-and-copy workflow on real trees: the question before an empty source's destination is
// emptied, per folder pair, and the sync of the destination file system ending a production copy.
#include "workflow/CopyWorkflow.h"
#include "diag/ErrorLog.h"
#include "engine/compare/HeadlessMainForm.h"
#include "platform/ProgramState.h"
#include "platform/QSettingsBackend.h"
#include "platform/SystemFileSystem.h"
#include "profiles/ProfileForm.h"
#include "profiles/ProfileTables.h"
#include "settings/Registry.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedDialogs.h"
#include "workflow/CheckWorkflow.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelto::workflow {
namespace {

struct Form : HeadlessMainForm, ProfileForm, StageHook {
    bool chkNumberProfiles() const override { return false; }
    void setCaption(const QString&) override {}
    ProfileMenuModel& mnuProfile() override { return menu; }
    ProfileListModel& lstProfile() override { return lines; }
    void CreateNewFolder(QString&) override {}
    void enterStage(const QString&) override {}
    ProfileMenuModel menu;
    ProfileListModel lines;
};

class CopyWorkflowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        g().goFSO = &fs;
        g().goReg = &registry;
        diag::SetLogFile(path("Error Log.txt"));
        diag::SetLogEnabled(true);
        form.setOptTest(false);
        form.setOptSync(true);
    }
    QString path(const QString& relative) const { return dir.filePath(relative); }
    void write(std::initializer_list<const char*> files) const {
        for (const char* file : files)
            ASSERT_TRUE(QFile(path(file)).open(QIODevice::WriteOnly)) << file;
    }
    // Every entry under the pair folders, relative to the test folder.
    QStringList tree() const {
        QStringList found;
        for (QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            found << QDir(dir.path()).relativeFilePath(it.next());
        found.sort();
        return found.filter(QRegularExpression("^[sd][12]"));
    }
    // A profile of one line per (source, destination), all with subfolders; makes the folders.
    void useProfile(const QList<std::pair<QString, QString>>& pairs) {
        g().gasProfile = TextTable(profile::kExcludes, int(pairs.size()));
        for (int i = 1; i <= pairs.size(); ++i) {
            const auto& [source, destination] = pairs[i - 1];
            ASSERT_TRUE(QDir().mkpath(path(source)) && QDir().mkpath(path(destination)));
            g().gasProfile.set(profile::kSource, i, path(source));
            g().gasProfile.set(profile::kSubdirs, i, "subdirs");
            g().gasProfile.set(profile::kDestination, i, path(destination));
            form.lstProfile().add(source);
        }
        g().gbExcludes = true;
    }
    StageResult checkAndCopy() {
        const StageResult checked = RunCheck(form, form, form, path("s1"), path("d1"));
        return checked == StageResult::Completed ? RunCopy(form, form, path("s1"), path("d1"))
                                                 : checked;
    }

    QTemporaryDir dir;
    std::unique_ptr<FileSystem> real = makeSystemFileSystem();
    FaultInjectingFileSystem fs{*real};
    Registry registry{std::make_unique<QSettingsBackend>(path("settings"))};
    Form form;
    test::ScriptedDialogs boxes;
};

TEST_F(CopyWorkflowTest, OnlyThePairWhoseSourceIsEmptyIsAskedAboutAndKeptOnNo) {
    useProfile({{"s1", "d1"}, {"s2", "d2"}});
    ASSERT_TRUE(QDir().mkpath(path("d1/sub")));
    for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
        SCOPED_TRACE(answer == BoxAnswer::Yes ? "Yes" : "No");
        write({"d1/f.txt", "d1/sub/g.txt", "s2/new.txt", "d2/old.txt"});
        boxes.then(answer);
        const qsizetype shown = boxes.shown().size();
        EXPECT_EQ(checkAndCopy(), StageResult::Completed);
        ASSERT_EQ(boxes.shown().size(), shown + 1);
        const test::ShownBox& box = boxes.shown().back();
        EXPECT_EQ(std::pair(box.buttons, box.text),
                  std::pair(BoxButtons::YesNoDefaultNo, "The source folder " + path("s1") +
                                                            " is empty. Delete everything in " +
                                                            path("d1") + "?"));
        const QStringList kept{"d1/f.txt", "d1/sub", "d1/sub/g.txt"}; // the other pair is mirrored
        EXPECT_EQ(tree(), (QStringList{"d1"} + (answer == BoxAnswer::No ? kept : QStringList()) +
                           QStringList{"d2", "d2/new.txt", "s1", "s2", "s2/new.txt"}));
        EXPECT_EQ(keptDestinations(),
                  answer == BoxAnswer::No ? QStringList(path("d1")) : QStringList());
        EXPECT_EQ(diag::messageLog().text().contains(" is empty: nothing in " + path("d1")),
                  answer == BoxAnswer::No);
    }
}

TEST_F(CopyWorkflowTest, AProductionCopySyncsTheDestinationFileSystemOnceAndFailsWithIt) {
    useProfile({{"s1", "d1"}, {"s2", "d2"}}); // two destinations on one file system
    write({"s1/a.txt", "s2/b.txt"});
    form.setOptTest(true); // a test run syncs nothing
    EXPECT_EQ(checkAndCopy(), StageResult::Completed);
    EXPECT_EQ(fs.calls(FsOp::SyncFileSystem), 0);
    form.setOptTest(false);
    EXPECT_EQ(checkAndCopy(), StageResult::Completed);
    EXPECT_EQ(fs.calls(FsOp::SyncFileSystem), 1);
    EXPECT_EQ(tree(), (QStringList{"d1", "d1/a.txt", "d2", "d2/b.txt", "s1", "s1/a.txt", "s2",
                                   "s2/b.txt"}));

    write({"s2/c.txt"});
    fs.inject(FsOp::SyncFileSystem, {}, err::DeviceIoError);
    EXPECT_EQ(checkAndCopy(), StageResult::Failed);
    EXPECT_TRUE(
        diag::messageLog().text().contains("The copied files could not be written to the disk of " +
                                           path("d1") + ": Device I/O error"))
        << qPrintable(diag::messageLog().text());
}

} // namespace
} // namespace pelto::workflow
