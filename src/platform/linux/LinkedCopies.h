#pragma once
// Hard links kept through a copy run: when the run copies a file that has more than one name,
// it remembers the copy by the source's device and inode, and a later file of the same source
// inode becomes another name of that copy instead of a second copy. Across runs nothing is
// remembered (the memory is part of the program state and each copy run starts it afresh), so a
// file whose other name was not copied in this run is copied as a file.

#include "platform/linux/AtomicFileCopier.h"

#include <QByteArray>

struct stat;

namespace pelto::linkedcopies {

// Makes `target` another name of the copy this run made of the file `sourceStat` describes, if
// there is one. `source` is that file's path as the system calls take it: the status may be old,
// so the file there is looked at afresh and must be the same one. True when linked; false when
// the target still has to be copied.
bool linkToEarlierCopy(const QByteArray& source, const struct stat& sourceStat,
                       const CopyTarget& target);

// Remembers the copy just made at `target` of the file `sourceStat` describes, when that file has
// more than one name.
void remember(const struct stat& sourceStat, const CopyTarget& target);

// Forgets every copy remembered: a copy run begins.
void forgetAll();

} // namespace pelto::linkedcopies
