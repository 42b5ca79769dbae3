#pragma once
// Internals shared by the folder walk and the list matching.
//
// The result lines show lower-cased names, but the walk reaches the disk by the names as stored:
// each call keeps the stored names of the entries it put into its two sorted lists in one table,
// the value of a list pair being its 1-based place in that table. So no path of the walk needs a
// case-blind lookup, and a walk costs one listing per folder and side plus one status read per
// file present on both sides.

#include <QSet>
#include <QString>
#include <optional>
#include <vector>

namespace pelto {

class MainForm;
class SortedList;

namespace detail {

struct FolderEntries;

// The stored names of the entries of a call's two lists, by list value - 1. They point into the
// folder listings, which outlive the call's lists.
using StoredNames = std::vector<const QString*>;
// Modification times (ms) read ahead of the walk, by list value - 1 as the stored names; nullopt
// for an entry not read ahead.
using StoredTimes = std::vector<std::optional<qint64>>;

// What a CheckLists call compares and where the entries live on disk.
struct ListPair {
    bool fileMode = true;
    // The folder paths as the lines show them: the folder's own path in file mode, the parent
    // path ending in the separator in folder mode.
    QString asSource;
    QString asDest;
    // The same folders as stored on disk, ending in the separator; empty when only the shown
    // paths are known (names are then looked up case-blind through the file-system service).
    QString srcDisk;
    QString dstDisk;
    // Stored names by list value; null when the lists carry no such table.
    const StoredNames* names = nullptr;
    // Keys each folder holds more than once among all its entries, files and folders alike.
    const QSet<QString>* srcTwins = nullptr;
    const QSet<QString>* dstTwins = nullptr;
    // Times read ahead by list value; null when none were.
    const StoredTimes* times = nullptr;
};

// The list key of a name: the name lower-cased, as QString::toLower gives it.
QString LowerCaseKey(const QString& name);

// Lists the entries of both lists side by side and writes the mismatch lines.
bool CheckListsImpl(SortedList* aoSrcLst, SortedList* aoDstLst, const ListPair& pair, MainForm& af,
                    bool abResetCounts);

// Compares one folder pair. srcDisk / dstDisk are the folders as stored (empty: resolve the
// shown paths). `top` is true for the folder a walk starts at.
bool CheckFoldersAt(const QString& asSource, const QString& asDest, const QString& srcDisk,
                    const QString& dstDisk, MainForm& af, bool bbFirstCall, bool top);

// Compares the files of one folder pair, given as stored paths without trailing separator.
// srcEntries / dstEntries are the folders' listings when the caller has listed them already;
// null makes the call list them itself. In archive mode the destination is never listed.
bool CheckFilesAt(const QString& srcPath, const QString& dstPath, const FolderEntries* srcEntries,
                  const FolderEntries* dstEntries, MainForm& af, bool bbFirstCall);

} // namespace detail
} // namespace pelto
