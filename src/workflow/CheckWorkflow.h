#pragma once
// The check as the window's "&Check mismatches" runs it: clears the result lists and the message
// log, resets the running numbers, then compares every line of the chosen profile (its
// exclusions validated and its subfolder word in force per line) or the one folder pair. The
// window's own part (buttons, tabs, scroll extents, the sound, the automatic copy) stays with
// the window.

#include "workflow/Stage.h"

#include <QList>
#include <QString>

namespace pelto {
class MainForm;
class ProfileForm;
} // namespace pelto

namespace pelto::workflow {

// What the check found about one folder pair, for the copy that follows it.
struct CheckedPair {
    QString source;
    QString destination;
    // The lines the pair's walk added to lstDstFolder and lstDstFile: [first, end).
    qsizetype dstFolderFirst = 0;
    qsizetype dstFolderEnd = 0;
    qsizetype dstFileFirst = 0;
    qsizetype dstFileEnd = 0;
    // The source top folder held no entries at all while the destination top folder held some:
    // what an unmounted or emptied source looks like.
    bool emptySource = false;
};

// The folder pairs the last check walked, in order. The copy updates the records when it takes a
// pair's lines out of the lists.
QList<CheckedPair>& checkedPairs();

// With a profile chosen (g().gbExcludes) the profile's lines, listed in `profiles`, are compared
// and the folders given here are not used.
StageResult RunCheck(MainForm& af, ProfileForm& profiles, StageHook& stages,
                     const QString& asSource, const QString& asDest);

} // namespace pelto::workflow
