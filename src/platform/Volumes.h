#pragma once
// The mounted volumes a user can pick as drives, and the name of the system the program runs on.

#include <QList>
#include <QString>

namespace pelto {

struct Volume {
    QString mountPoint; // normalized, without a trailing separator except for the root "/"
    QString label;      // the volume's label, or "" when it has none
};

// The mounted volumes that hold real files (no pseudo file systems), sorted by mount point; each
// mount point once.
QList<Volume> mountedVolumes();

// The text a drive list shows for a volume: its mount point, then its label in brackets.
QString volumeText(const Volume& volume);

// The system's own name for itself, for the user to read ("Debian GNU/Linux 12 (bookworm)").
QString systemName();

} // namespace pelto
