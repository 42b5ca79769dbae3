#pragma once
// The profile table g().gasProfile and the folder record g().gasFolderProfile: their fields,
// their first size and how they grow (by 10 rows, by 3 in developer mode so that growth is
// exercised early).

namespace pelto::profile {

// Fields of a profile line in g().gasProfile.
inline constexpr int kLine = 1;        // the whole line, tabs turned into blanks
inline constexpr int kSource = 2;      // source folder
inline constexpr int kSubdirs = 3;     // "  subdirs   " or 12 blanks
inline constexpr int kDestination = 4; // destination folder
inline constexpr int kExcludes = 5;    // "exclude ..." or ""

// Fields of an entry of g().gasFolderProfile; entry 0 holds the count in kFolderLine.
inline constexpr int kFolderPath = 1;
inline constexpr int kFolderLine = 2;

// Rows added at a time.
int growthStep();

// Re-creates both tables empty for a newly read profile: lines 1..step of the profile table,
// entries 0..step of the folder record with the count "0".
void newProfileTables();

// Makes room in the profile table as line `lineCount` is added: whenever the count reaches a
// multiple of the step, the table gets room for `lineCount` + 10 lines.
void growProfileTable(int lineCount);

} // namespace pelto::profile
