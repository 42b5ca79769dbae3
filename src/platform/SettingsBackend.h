#pragma once
// The per-user settings store: text values addressed by application name, section and key.
// The Linux build keeps them in an INI file per application (QSettingsBackend); a Windows build
// would add a backend over the current user's registry and its own makeUserSettingsBackend().

#include <QString>
#include <memory>

namespace pelto {

class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;

    // The stored value, or "" when nothing is stored under the address.
    virtual QString read(const QString& application, const QString& section,
                         const QString& key) = 0;
    // Stores the value, creating the section and key as needed and replacing an older value.
    // Throws RuntimeError when the store cannot be written.
    virtual void save(const QString& application, const QString& section, const QString& key,
                      const QString& value) = 0;
    // Deletes the key. Returns false when it was not stored (the store is then unchanged).
    // Throws RuntimeError when the store cannot be written.
    virtual bool remove(const QString& application, const QString& section, const QString& key) = 0;
};

// The current user's own store.
std::unique_ptr<SettingsBackend> makeUserSettingsBackend();

} // namespace pelto
