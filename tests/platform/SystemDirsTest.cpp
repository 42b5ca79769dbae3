// The data folder and the system configuration folder, and their failure text.
#include "FsTestTree.h"

#include "platform/ProgramPaths.h"
#include "platform/SystemDirs.h"

namespace pelto::test {
namespace {

// An installed program finds the share folder beside its bin folder first; otherwise the first
// existing folder wins (files do not count), and none gives the failure text.
TEST(SystemDirsTest, FirstExistingFolderWinsAndNoneGivesTheFailureText) {
    FsTestTree root;
    for (const char* folder : {"bin", "share/pelto/Media", "second"})
        root.makeFolder(folder);
    root.write("first", {});
    EXPECT_EQ(firstExistingDir(dataDirCandidates(root.path("bin"))), root.path("share/pelto"));
    EXPECT_EQ(
        firstExistingDir({root.path("missing"), root.path("first"), {}, root.path("second/")}),
        root.path("second"));
    EXPECT_EQ(firstExistingDir({root.path("gone")}), "API call failed");
    EXPECT_EQ(firstExistingDir({}), "API call failed");
}

// A portable copy keeps its shipped files beside the program; a folder merely named like the data
// does not count, and an installed program falls back to <prefix>/share/pelto.
TEST(SystemDirsTest, DataBesideTheProgramWinsOverTheInstallFolder) {
    const struct {
        QString beside; // made in the program's folder ("" for nothing); "/" ends a folder
        bool besideWins;
    } rows[] = {{"Media/Ding.wav", true},
                {"PeltoRev.txt", false},
                {"Media/", false},
                {"Ding.wav", false},
                {"", false}};
    for (const auto& row : rows) {
        FsTestTree root;
        root.makeFolder("share/pelto");
        root.makeFolder("bin/Media");
        if (row.beside.endsWith('/'))
            root.makeFolder("bin/" + row.beside);
        else if (!row.beside.isEmpty())
            root.write("bin/" + row.beside, "x");
        EXPECT_EQ(dataDirFor(root.path("bin")),
                  row.besideWins ? root.path("bin") : root.path("share/pelto"))
            << row.beside.toStdString();
    }
}

// The program folder is the executable's own while the user may write there, else the per-user
// data folder ($XDG_DATA_HOME/Pelto, ~/.local/share/Pelto when that is unset or relative),
// created on first use.
TEST(SystemDirsTest, ProgramFolderFallsBackToThePerUserFolderWhenBesideIsReadOnly) {
    FsTestTree root;
    const QByteArray oldHome = qgetenv("HOME"), oldData = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", QFile::encodeName(root.path("home")));
    const struct {
        QByteArray xdgDataHome;
        bool besideWritable;
        QString expected; // relative to root, "" for the executable's folder
    } rows[] = {{"", true, ""},
                {root.native("data"), true, ""},
                {root.native("data"), false, "data/Pelto/"},
                {"", false, "home/.local/share/Pelto/"},
                {"relative/data", false, "home/.local/share/Pelto/"}};
    for (const auto& row : rows) {
        qputenv("XDG_DATA_HOME", row.xdgDataHome);
        setFolderWritableCheck([&](const QString&) { return row.besideWritable; });
        const QString expected =
            row.expected.isEmpty() ? executableFolder() : root.path(row.expected);
        EXPECT_EQ(programFolder(), expected) << row.xdgDataHome.constData();
        EXPECT_TRUE(QFileInfo(expected).isDir()) << expected.toStdString();
    }
    for (const auto& [name, old] : {std::pair{"HOME", oldHome}, {"XDG_DATA_HOME", oldData}})
        static_cast<void>(old.isNull() ? qunsetenv(name) : qputenv(name, old));
}

// The system's answer: a folder the user may write to, but never one of the installed /usr tree,
// which is read-only for root too (as root, permission bits would say yes there).
TEST(SystemDirsTest, FoldersInUsrAreNeverTheProgramFolder) {
    FsTestTree root;
    root.write("file", "x");
    root.makeFolder("usr/bin");
    const std::pair<QString, bool> rows[] = {
        {root.root(), true},        {root.path("usr/bin"), true}, {root.path("missing"), false},
        {root.path("file"), false}, {"/usr/bin", false},          {"/usr/bin/../bin/", false}};
    for (const auto& [folder, writable] : rows)
        EXPECT_EQ(folderWritable(folder), writable) << folder.toStdString();
}

} // namespace
} // namespace pelto::test
