#pragma once
// The settings store as INI files: application "Pelto" lives in <folder>/Pelto.ini, each
// section an INI group and each key a line of it. The user's store uses the user's
// configuration folder ($XDG_CONFIG_HOME, normally ~/.config); tests name a folder of their own.

#include "platform/SettingsBackend.h"

namespace pelto {

class QSettingsBackend : public SettingsBackend {
public:
    // The store in the user's configuration folder.
    QSettingsBackend();
    // The store in `folder` (created when the first value is saved).
    explicit QSettingsBackend(QString folder);

    QString read(const QString& application, const QString& section, const QString& key) override;
    void save(const QString& application, const QString& section, const QString& key,
              const QString& value) override;
    bool remove(const QString& application, const QString& section, const QString& key) override;

    // The file that holds an application's values.
    QString fileFor(const QString& application) const;

private:
    QString folder_;
};

} // namespace pelto
