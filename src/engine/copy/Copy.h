#pragma once
// The copy engine: reads the result lists of a check back and brings the destination up to date.
//
//   CopyFolders      the copy driver: creates and fills every folder of lstSrcFolder, then copies
//                    every file of lstSrcFile
//   SyncDelete       deletes what lstDstFolder and lstDstFile list as present only at the
//                    destination
//   ResetArcFolders  clears the archive attribute of what the copy copied, source and copy
//
// Every routine returns true when the work may go on (also after a cancel or a skipped item) and
// false when a handled error ended it; g().gbErrorFlag is then set. In test mode (optTest) the
// routines walk the lists and change nothing on disk.

#include <QString>
#include <QtGlobal>

namespace pelto {

class File;
class MainForm;

namespace err {
// The program's own error for a destination volume that is missing or cannot be read.
inline constexpr qint32 DriveNotReady = 71;
} // namespace err

// Starts a copy run: clears g().gbSpaceFreed (a run starts without having freed space) and the
// record of items the previous run skipped. The copy workflow calls it before CopyFolders.
void BeginCopyRun();

// Copies the files listed in lstSrcFile (asCaller empty), or every file of the folder asSource
// into the folder asDest (asCaller "CopyFolders2").
bool CopyFiles(const QString& asSource, const QString& asDest, MainForm& af,
               const QString& asCaller = QString());
// One copy attempt with overwrite; 0 on success, else the error number. Never throws.
qint32 CopyFileZ(const QString& asPathSrc, const QString& asPathDst);
// Looks up a file into aoDest; 0 on success, else the error number. Never throws.
qint32 GetFileZ(File& aoDest, const QString& asPathName);

// asSource and asDest are the chosen folders as the folder pickers give them.
bool CopyFolders(const QString& asSource, const QString& asDest, MainForm& af);
// Creates and fills the folder of lstSrcFolder line aiNdex (asCaller "CopyFolders"), or, for a
// subfolder, the folder asCaller inside the destination folder asDest.
bool CopyFolders2(const QString& asSource, const QString& asDest, MainForm& af,
                  const QString& asCaller, int aiNdex);
// Creates a folder and any missing parents; reports a destination drive that is not ready.
void CreateNewFolder(const QString& asMyPath);

bool SyncDelete(MainForm& af);
// True when asFolder is, or lies below, one of the folders on the first aiNdex lines of
// lstDstFolder (all lines for -1). Compared component by component, case-blind.
bool FolderGone(const QString& asFolder, MainForm& af, int aiNdex = -1);

bool ResetArcFolders(const QString& asSource, const QString& asDest, MainForm& af);
bool ResetArcFolders2(const QString& asSource, const QString& asDest, MainForm& af,
                      const QString& asCaller, int aiNdex);
// Clears the archive bit of the files listed in lstSrcFile (asCaller empty) or of every file of
// the folder asSource (asCaller "ResetArcFolders2"), at the source and at the destination.
bool ResetArchiveBits(const QString& asSource, const QString& asDest, MainForm& af,
                      const QString& asCaller = QString());

} // namespace pelto
