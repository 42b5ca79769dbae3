#pragma once
// Folder trees the program tests share.

#include "CliSandbox.h"

namespace pelto::cli::test {

// Times (UTC seconds) the trees give their files.
inline constexpr qint64 kOlder = 1704067200; // 2024-01-01
inline constexpr qint64 kNewer = 1704153600; // 2024-01-02

// A source tree "src" and a destination tree "dst" that differ in every way a check reports:
//   src/a.txt             missing at the destination
//   src/b.txt             newer than dst/b.txt
//   src/same.txt          as old as dst/same.txt (not reported)
//   src/Upper.TXT         missing at the destination (reported lower-cased)
//   src/newdir/n.txt      a folder missing at the destination
//   src/sub/c.txt         missing in the matched folder sub
//   dst/x.log             only at the destination
//   dst/old/o.txt         a folder only at the destination
void buildMixedTree(const CliSandbox& box);

} // namespace pelto::cli::test
