// Creating a destination folder with its missing parents.

#include "diag/Procedure.h"
#include "engine/copy/Copy.h"
#include "engine/copy/CopyMessages.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"

namespace pelto {

using diag::Answer;
using diag::Procedure;
using diag::traceParams;

namespace {

// mayMakeParents is false for the attempt made after the parents were created: a parent that
// still cannot be made then goes to the failure report instead of being tried without end.
void createFolder(const QString& asMyPath, bool mayMakeParents) {
    Procedure proc(copymsg::kModule, "Sub CreateNewFolder",
                   [&] { return traceParams("asMyPath", asMyPath); });
    // A missing parent gives this attempt up: the parents are made first, then the folder again.
    const auto trap = proc.trap([&](const RuntimeError& e) {
        switch (e.number()) {
        case err::PathNotFound:
            return mayMakeParents ? Answer::Skip : Answer::None;
        case err::DriveNotReady:
            copymsg::logWithBox(QStringLiteral("CreateNewFolder"),
                                QStringLiteral("\r\nOOPS! Drive not ready - please try again."));
            return Answer::Abort;
        default:
            return Answer::None;
        }
    });
    const auto made = trap([&] {
        FileSystem& fs = *g().goFSO;
        if (!fs.GetDrive(asMyPath).IsReady())
            throw RuntimeError(err::DriveNotReady, QStringLiteral("Disk not ready"));
        fs.CreateFolder(asMyPath);
    });
    if (!made.skipped())
        return;
    const QString parent = fspath::parentOf(fspath::normalize(asMyPath));
    if (parent.isEmpty())
        return;
    createFolder(parent, true);
    createFolder(asMyPath, false);
}

} // namespace

void CreateNewFolder(const QString& asMyPath) {
    createFolder(asMyPath, true);
}

} // namespace pelto
