#pragma once
// What the profile reader needs from the main window: the numbering check box, the window
// caption, the profile menu, the profile list, and the creation of a missing destination folder.
// The window implements it with its real controls; tests and the command-line program with
// plain values.

#include "profiles/ProfileListModel.h"
#include "profiles/ProfileMenuModel.h"

#include <QString>

namespace pelto {

class ProfileForm {
public:
    virtual ~ProfileForm() = default;

    // Whether chkNumberProfiles is checked: menu captions then carry a numbering prefix.
    virtual bool chkNumberProfiles() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual ProfileMenuModel& mnuProfile() = 0;
    virtual ProfileListModel& lstProfile() = 0;
    // Creates a folder with its missing parents (the copy engine's CreateNewFolder), reporting
    // its own failures; the reader asks the user first.
    virtual void CreateNewFolder(QString& asMyPath) = 0;
};

} // namespace pelto
