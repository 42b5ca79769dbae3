#pragma once
// What the copy engine knows about files that cannot or should not be copied, and how
// attributes travel to a copy. Folder texts are lower-cased by the caller and end in the path
// separator; rule texts are matched with native separators.

#include <QString>
#include <optional>

namespace pelto::copyrules {

// Swap, page and hibernation files and a drive stamp: never copied into, nor their archive bit
// cleared at, a drive root.
bool isDriveRootSystemName(const QString& lowerName);
// The registry hive files of a running system.
bool isRegistryHiveName(const QString& lowerName);
// The per-user hive files below a user profile folder.
bool isUserHiveName(const QString& lowerName);

// True when the folder is the running system's own configuration folder (where live hives sit).
bool isLiveConfigFolder(const QString& dir);
// Folders whose name holds "\system32\config\".
bool isConfigFolderText(const QString& lowerDir);
// Folders below a user profile folder.
bool isUserProfileText(const QString& lowerDir);

// Files that come and go while programs run: a missing one is skipped with a log line.
bool isVolatile(const QString& lowerDir, const QString& lowerName);
// The browser's temporary files folder.
bool isTemporaryFilesFolder(const QString& lowerDir);
// A scanner's temporary folder.
bool isScannerTempFolder(const QString& lowerDir);
// Names with accented letters some file systems reject.
bool hasUmlaut(const QString& name);
// The machine key store, which the system keeps locked.
bool isMachineKeysFolder(const QString& lowerDir);
// The browser profile's lock file.
bool isBrowserParentLock(const QString& lowerDir, const QString& lowerName);
// A folder ending in "\bootwiz" (a boot manager's folder, never deleted).
bool isBootWizardFolder(const QString& lowerFolder);

// The attribute value a copy (file or new folder) is given from its source's value a: with any
// of read-only, hidden or system exactly those bits; else, with archive, archive alone; else
// nothing (the copy keeps what the copy gave it). Bits above 255 are not carried.
std::optional<int> carriedAttributes(int a);

} // namespace pelto::copyrules
