#include "engine/compare/HeadlessMainForm.h"

#include <QCoreApplication>

namespace pelto {

void HeadlessMainForm::Refresh() {
    ++refreshes_;
    publishLists();
}

void HeadlessMainForm::DoEvents() {
    ++doEvents_;
    publishLists();
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    if (onDoEvents)
        onDoEvents();
}

bool HeadlessMainForm::StoreFolderProfile(const QString& asFolder) {
    storedFolders_.append(asFolder);
    return onStoreFolderProfile ? onStoreFolderProfile(asFolder) : true;
}

} // namespace pelto
