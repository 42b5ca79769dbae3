#pragma once
// Deletes a folder with everything in it. Works through descriptors relative to each folder, so
// a symbolic link met on the way is removed itself and never followed, and it does not descend
// into another volume mounted inside the tree.

#include <QString>

namespace pelto {

// Removes `folderPath` (an existing folder, stored case, not a link). With `force`, read-only
// items are removed too (and read-only folders opened up so that their entries can go);
// without it a read-only file stops the delete with err::PermissionDenied.
void removeTree(const QString& folderPath, bool force);

} // namespace pelto
