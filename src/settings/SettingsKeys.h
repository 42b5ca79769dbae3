#pragma once
// Every section and key the program keeps in the settings store, with the form its value is
// stored in and the value start-up assumes when nothing (or nothing readable) is stored.
// Start-up reads these keys and shutdown writes them; nothing else names them.

#include <QString>
#include <QStringList>
#include <span>

namespace pelto::settings {

inline constexpr auto kApplicationName = "Pelto";
inline constexpr auto kSettingsSection = "Settings";

enum class StoredForm {
    Flag,       // "1" or "0": a check box or one of an option pair
    SyncOrCopy, // "Sync" or "Copy"
    Number,     // decimal text, read back through CvtInt or CvtLng
    Path,       // a folder (ending in the separator) or a file
    Text,       // a control's text as typed or chosen
};

struct SettingKey {
    const char* name;
    StoredForm form;
    // What start-up assumes for a missing value ("" where start-up computes it, as for the
    // default sound file).
    const char* missing;
};

// Section "Settings".
namespace key {
inline constexpr SettingKey NumberProfiles{"NumberProfiles", StoredForm::Flag, "1"};
inline constexpr SettingKey SyncDelete{"SyncDelete", StoredForm::SyncOrCopy, "Copy"};
inline constexpr SettingKey TestProd{"TestProd", StoredForm::Flag, "0"}; // "1" production
inline constexpr SettingKey UseArchive{"useArchive", StoredForm::Flag, "0"};
inline constexpr SettingKey ResetArchive{"resetArchive", StoredForm::Flag, "0"};
inline constexpr SettingKey Instances{"Instances", StoredForm::Number, "0"};
inline constexpr SettingKey PathSource{"PathSource", StoredForm::Path, ""};
inline constexpr SettingKey PathDest{"PathDest", StoredForm::Path, ""};
inline constexpr SettingKey PathSound{"PathSound", StoredForm::Path, ""};
inline constexpr SettingKey PlaySound{"PlaySound", StoredForm::Flag, "0"};
inline constexpr SettingKey RepeatSound{"RepeatSound", StoredForm::Flag, "0"};
inline constexpr SettingKey RepeatEnabled{"RepeatEnabled", StoredForm::Flag, "0"};
inline constexpr SettingKey RepeatSound0{"RepeatSound0", StoredForm::Flag, "0"};
inline constexpr SettingKey RepeatCount{"RepeatCount", StoredForm::Text, "0"};
inline constexpr SettingKey RepeatFreq{"RepeatFreq", StoredForm::Text, "0"};
inline constexpr SettingKey RepeatMinutes{"RepeatMinutes", StoredForm::Text, "Seconds"};
inline constexpr SettingKey AutoCopy{"AutoCopy", StoredForm::Flag, "0"};
inline constexpr SettingKey NumProfiles{"NumProfiles", StoredForm::Number, "0"};

// Section "Profile" + two digits: one profile's usage history.
inline constexpr SettingKey Description{"Description", StoredForm::Text, ""};
inline constexpr SettingKey LinesUsed{"LinesUsed", StoredForm::Number, "0"};
inline constexpr SettingKey TimesUsed{"TimesUsed", StoredForm::Number, "0"};
inline constexpr SettingKey LastUsed{"LastUsed", StoredForm::Text, ""};
} // namespace key

// The keys of section "Settings" (start-up reads them in this order; "NumProfiles" belongs to
// the profile history).
std::span<const SettingKey> settingsSectionKeys();
// The keys of a profile-history section, apart from the "Line" + number keys.
std::span<const SettingKey> profileSectionKeys();

QString keyName(const SettingKey& key);
// The stored form of a check box or option pair.
QString flagText(bool on);
// The stored form of the copy mode: "Sync" for copy and delete, "Copy" otherwise.
QString syncOrCopyText(bool sync);

// Window placement keys live in whatever section is current. The instance label is the main
// window's "Instance" + number; the window id is "" for the main window and "2" for the
// automatic-copy window: "Instance1Top", "Instance1Left2".
inline constexpr auto kMainWindowId = "";
inline constexpr auto kCopyAutomaticallyWindowId = "2";
QString topKey(const QString& instanceLabel, const QString& windowId);
QString leftKey(const QString& instanceLabel, const QString& windowId);

// "Profile01" .. "Profile99", "Profile100": numbers take two digits at least.
QString profileSection(int entry);
// "Line01" .. "Line99", "Line100".
QString profileLineKey(int line);

// What the developer reset deletes from the current section.
QStringList developerResetKeys(const QString& instanceLabel);

} // namespace pelto::settings
