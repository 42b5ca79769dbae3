#include "settings/SettingsKeys.h"

#include <array>

namespace pelto::settings {
namespace {

constexpr std::array kSettingsKeys{
    key::NumberProfiles, key::SyncDelete,    key::TestProd,     key::UseArchive,  key::ResetArchive,
    key::Instances,      key::PathSource,    key::PathDest,     key::PathSound,   key::PlaySound,
    key::RepeatSound,    key::RepeatEnabled, key::RepeatSound0, key::RepeatCount, key::RepeatFreq,
    key::RepeatMinutes,  key::AutoCopy,      key::NumProfiles,
};

constexpr std::array kProfileKeys{key::Description, key::LinesUsed, key::TimesUsed, key::LastUsed};

QString atLeastTwoDigits(int number) {
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

} // namespace

std::span<const SettingKey> settingsSectionKeys() {
    return kSettingsKeys;
}

std::span<const SettingKey> profileSectionKeys() {
    return kProfileKeys;
}

QString keyName(const SettingKey& key) {
    return QString::fromLatin1(key.name);
}

QString flagText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString syncOrCopyText(bool sync) {
    return sync ? QStringLiteral("Sync") : QStringLiteral("Copy");
}

QString topKey(const QString& instanceLabel, const QString& windowId) {
    return instanceLabel + QStringLiteral("Top") + windowId;
}

QString leftKey(const QString& instanceLabel, const QString& windowId) {
    return instanceLabel + QStringLiteral("Left") + windowId;
}

QString profileSection(int entry) {
    return QStringLiteral("Profile") + atLeastTwoDigits(entry);
}

QString profileLineKey(int line) {
    return QStringLiteral("Line") + atLeastTwoDigits(line);
}

QStringList developerResetKeys(const QString& instanceLabel) {
    const QString mainWindow = QString::fromLatin1(kMainWindowId);
    return {keyName(key::TestProd),
            keyName(key::UseArchive),
            keyName(key::ResetArchive),
            topKey(instanceLabel, mainWindow),
            leftKey(instanceLabel, mainWindow),
            keyName(key::PathSource),
            keyName(key::PathDest)};
}

} // namespace pelto::settings
