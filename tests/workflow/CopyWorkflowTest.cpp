// The shared check-and-copy workflow on real trees: the question before an empty source's
// destination is emptied, decided per folder pair, and the sync of the destination file system
// that ends a production copy.
#include "workflow/CopyWorkflow.h"
#include "diag/ErrorLog.h"
#include "engine/compare/HeadlessMainForm.h"
#include "platform/ProgramState.h"
#include "platform/SystemFileSystem.h"
#include "profiles/ProfileForm.h"
#include "profiles/ProfileTables.h"
#include "settings/Registry.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedDialogs.h"
#include "workflow/CheckWorkflow.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelto::workflow {
namespace {

class Form : public HeadlessMainForm, public ProfileForm, public StageHook {
public:
    bool chkNumberProfiles() const override { return false; }
    void setCaption(const QString&) override {}
    ProfileMenuModel& mnuProfile() override { return menu_; }
    ProfileListModel& lstProfile() override { return lines_; }
    void CreateNewFolder(QString&) override {}
    void enterStage(const QString&) override {}

private:
    ProfileMenuModel menu_;
    ProfileListModel lines_;
};

// Settings kept in memory, so that a profile's use is counted without the user's store.
class MemorySettings : public SettingsBackend {
public:
    QString read(const QString& a, const QString& s, const QString& k) override {
        return values_.value(a + '/' + s + '/' + k);
    }
    void save(const QString& a, const QString& s, const QString& k, const QString& v) override {
        values_.insert(a + '/' + s + '/' + k, v);
    }
    bool remove(const QString& a, const QString& s, const QString& k) override {
        return values_.remove(a + '/' + s + '/' + k) > 0;
    }

private:
    QHash<QString, QString> values_;
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
    void write(const QString& relative) const {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QStringList entries(const QString& folder) const {
        return QDir(path(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }
    // A profile of one line per (source, destination), all with subfolders.
    void useProfile(const QList<std::pair<QString, QString>>& pairs) {
        g().gasProfile = TextTable(profile::kExcludes, int(pairs.size()));
        for (int i = 1; i <= pairs.size(); ++i) {
            g().gasProfile.set(profile::kSource, i, path(pairs[i - 1].first));
            g().gasProfile.set(profile::kSubdirs, i, "subdirs");
            g().gasProfile.set(profile::kDestination, i, path(pairs[i - 1].second));
            form.lstProfile().add(pairs[i - 1].first);
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
    Registry registry{std::make_unique<MemorySettings>()};
    Form form;
    test::ScriptedDialogs boxes;
};

TEST_F(CopyWorkflowTest, OnlyThePairWhoseSourceIsEmptyIsAskedAboutAndKeptOnNo) {
    useProfile({{"s1", "d1"}, {"s2", "d2"}});
    for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
        SCOPED_TRACE(answer == BoxAnswer::Yes ? "Yes" : "No");
        ASSERT_TRUE(QDir(path("s1")).removeRecursively() && QDir().mkpath(path("s1")));
        for (const char* file : {"d1/f.txt", "d1/sub/g.txt", "s2/new.txt", "d2/old.txt"})
            write(file);
        boxes.then(answer);
        const qsizetype shown = boxes.shown().size();
        EXPECT_EQ(checkAndCopy(), StageResult::Completed);
        ASSERT_EQ(boxes.shown().size(), shown + 1);
        EXPECT_EQ(boxes.shown().back().text, "The source folder " + path("s1") +
                                                 " is empty. Delete everything in " + path("d1") +
                                                 "?");
        EXPECT_EQ(boxes.shown().back().buttons, BoxButtons::YesNoDefaultNo);
        const QStringList keptEntries{"f.txt", "sub"};
        EXPECT_EQ(entries("d1"), answer == BoxAnswer::No ? keptEntries : QStringList());
        EXPECT_EQ(keptDestinations(),
                  answer == BoxAnswer::No ? QStringList(path("d1")) : QStringList());
        EXPECT_EQ(entries("d2"), QStringList{"new.txt"}); // the other pair is mirrored
        EXPECT_EQ(diag::messageLog().text().contains(" is empty: nothing in " + path("d1")),
                  answer == BoxAnswer::No);
    }
}

TEST_F(CopyWorkflowTest, AProductionCopySyncsTheDestinationFileSystemOnceAndFailsWithIt) {
    // Two destinations on one file system; a test run changes nothing and syncs nothing.
    for (const char* file : {"s1/a.txt", "s2/b.txt"})
        write(file);
    QDir().mkpath(path("d1"));
    QDir().mkpath(path("d2"));
    useProfile({{"s1", "d1"}, {"s2", "d2"}});
    form.setOptTest(true);
    EXPECT_EQ(checkAndCopy(), StageResult::Completed);
    EXPECT_EQ(fs.calls(FsOp::SyncFileSystem), 0);
    form.setOptTest(false);
    EXPECT_EQ(checkAndCopy(), StageResult::Completed);
    EXPECT_EQ(fs.calls(FsOp::SyncFileSystem), 1);
    EXPECT_EQ(entries("d2"), QStringList{"b.txt"});

    write("s2/c.txt");
    fs.inject(FsOp::SyncFileSystem, {}, err::DeviceIoError);
    EXPECT_EQ(checkAndCopy(), StageResult::Failed);
    EXPECT_TRUE(
        diag::messageLog().text().contains("The copied files could not be written to the disk of " +
                                           path("d1") + ": Device I/O error"))
        << qPrintable(diag::messageLog().text());
}

} // namespace
} // namespace pelto::workflow
