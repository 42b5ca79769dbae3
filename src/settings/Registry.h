#pragma once
// The program's one way into the per-user settings store. It holds the address (application
// name, section, key) and the value as properties, which keep their values between calls: set
// Key (and Section when another one is needed), call GetReg and read Settings; or set Key and
// Settings and call SaveReg.
//
// An empty name is not an error: the operation leaves a message in Settings and does nothing.
// A failing store operation (deleting a key that is not stored, an unwritable store) raises
// RuntimeError to the caller, whose own error handling deals with it.

#include "platform/SettingsBackend.h"

#include <QString>
#include <memory>

namespace pelto {

class Registry {
public:
    // Texts left in Settings when a name is empty.
    static constexpr auto kNoApplicationName = "No Valid Application Name";
    static constexpr auto kNoSection = "No Valid Section Name";
    static constexpr auto kNoKey = "No Valid Key";
    // Raised by DelReg for a key that is not stored.
    static constexpr qint32 kKeyNotStored = 5;

    // Works on the current user's store.
    Registry();
    // Works on the given store.
    explicit Registry(std::unique_ptr<SettingsBackend> backend);

    const QString& ApplicationName() const { return applicationName_; }
    void setApplicationName(const QString& value) { applicationName_ = value; }
    const QString& Section() const { return section_; }
    void setSection(const QString& value) { section_ = value; }
    const QString& Key() const { return key_; }
    void setKey(const QString& value) { key_ = value; }
    const QString& Settings() const { return settings_; }
    void setSettings(const QString& value) { settings_ = value; }

    // Settings = the stored value, or "" when none is stored.
    void GetReg();
    // Stores Settings, replacing an older value.
    void SaveReg();
    // Deletes the key; raises RuntimeError kKeyNotStored when it is not stored.
    void DelReg();

private:
    // False (with the message in Settings) when a name of the address is empty.
    bool addressComplete();

    std::unique_ptr<SettingsBackend> backend_;
    QString applicationName_;
    QString section_;
    QString key_;
    QString settings_;
};

} // namespace pelto
