#pragma once
// Reading the result lines of a check back (the formats are those the comparison writes, see
// engine/compare/Compare.h), and the path helpers the copy engine shares.
//
// A line the comparison cannot have written (no ": ", no tag) raises "Invalid procedure call or
// argument" (5), which the caller's error handling reports.

#include <QLatin1StringView>
#include <QString>
#include <initializer_list>

namespace pelto::copylines {

inline constexpr qint32 kInvalidCall = 5;

// True for a folder header ("Dir: " at the start).
bool isHeader(const QString& line);

// The two folders of a lstSrcFile header, each ending in the separator. The separator between
// them is NBSP "to" NBSP when the header holds it, else " to ".
struct SourceHeader {
    QString sourceDir;
    QString destinationDir;
};
SourceHeader sourceHeader(const QString& line);
// The folder of a lstDstFile header, ending in the separator.
QString destinationHeader(const QString& line);

// The name of a file line: n + ": " + name + " " + tag + NBSP, the tag being "unmatched",
// "newer" or "archive".
QString fileName(const QString& line);

// The folder a lstSrcFolder line names (source parent + name), and the destination parent that
// follows its " to ".
struct SourceFolderLine {
    QString sourceFolder; // without a trailing separator
    QString destinationParent;
};
SourceFolderLine sourceFolderLine(const QString& line);
// The line a subfolder of a folder being copied is served from, written like a lstSrcFolder line
// so that it parses the same way.
QString subfolderLine(const QString& sourceSubfolder, const QString& destinationFolder);
// The destination folder of a folder line: destinationRoot joined to the part of the source
// folder below sourceRoot. A folder that does not lie below sourceRoot (the roots were changed
// since the check) goes to the destination parent the line itself names.
QString destinationFolderOf(const SourceFolderLine& line, const QString& sourceRoot,
                            const QString& destinationRoot);

// The folder a lstDstFolder line names, without a trailing separator.
QString destinationFolder(const QString& line);

// The path separator as text.
QString separator();
// dir + name with exactly one separator between them.
QString joinPath(const QString& dir, const QString& name);
// The text with a trailing separator (what AddSlash makes, without tracing each item).
QString withSeparator(const QString& path);
// A rule text written with backslashes, in native separators ("\\temp\\" -> "/temp/").
QString nativeRule(QLatin1StringView rule);

// True when the first component of the path below some drive root (mount point) begins with one
// of the given lower-case names: the recycle bins and the indexer's folder, with everything in
// them.
bool startsBelowDriveRoot(const QString& path, std::initializer_list<QLatin1StringView> names);
// The recycle bins: "recycled" and "$recycle" folders directly below a drive root.
bool isRecycleBin(const QString& path);

} // namespace pelto::copylines
