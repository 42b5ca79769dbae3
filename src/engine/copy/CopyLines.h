#pragma once
// What the result lines of a check name (from the data the check stored with each line, never
// from the displayed text), and the path helpers the copy engine shares.
//
// A line without stored data raises "Invalid procedure call or argument" (5), which the caller's
// error handling reports.

#include <QLatin1StringView>
#include <QString>
#include <initializer_list>

namespace pelto {
class ResultList;
struct LineData;
} // namespace pelto

namespace pelto::copylines {

inline constexpr qint32 kInvalidCall = 5;

// True for a folder header ("Dir: " at the start): for display only; stages ask LineData.
bool isHeader(const QString& line);

// What line `index` of `list` names, as the check stored it. A line without stored data (text
// only) is refused with "Invalid procedure call or argument": a stage never guesses a path from
// displayed text.
const LineData& trustedLine(const ResultList& list, qsizetype index);
// Raises that refusal.
[[noreturn]] void refuseUntrusted();

// A missing-folder line of lstSrcFolder: the source folder and the destination parent it is
// copied into.
struct SourceFolderLine {
    QString sourceFolder; // without a trailing separator
    QString destinationParent;
};
SourceFolderLine sourceFolderLine(const LineData& line);
// The destination folder of a folder line: destinationRoot joined to the part of the source
// folder below sourceRoot. A folder that does not lie below sourceRoot (the roots were changed
// since the check) goes to the destination parent the line itself names.
QString destinationFolderOf(const SourceFolderLine& line, const QString& sourceRoot,
                            const QString& destinationRoot);

// The path a destination-only line names (a folder of lstDstFolder, without a trailing separator;
// or a file of lstDstFile).
QString entryPath(const LineData& line);

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
