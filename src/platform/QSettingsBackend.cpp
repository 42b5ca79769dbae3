#include "platform/QSettingsBackend.h"

#include "platform/RuntimeError.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace pelto {
namespace {

// The store could not be written (read-only or missing folder, full disk).

QString addressOf(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

// Writes pending changes to disk and reports a file that could not be written.
void commit(QSettings& settings) {
    settings.sync();
    if (settings.status() == QSettings::AccessError)
        throw RuntimeError(err::PathFileAccessError,
                           QStringLiteral("Path/File access error: ") + settings.fileName(),
                           QStringLiteral("Settings store"));
}

} // namespace

QSettingsBackend::QSettingsBackend()
    : folder_(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) {}

QSettingsBackend::QSettingsBackend(QString folder) : folder_(std::move(folder)) {}

QString QSettingsBackend::fileFor(const QString& application) const {
    // The application name becomes a file name: anything that could leave the folder is encoded.
    const QString fileName = QString::fromLatin1(QUrl::toPercentEncoding(application, " "));
    return folder_ + QLatin1Char('/') + fileName + QStringLiteral(".ini");
}

QString QSettingsBackend::read(const QString& application, const QString& section,
                               const QString& key) {
    const QSettings settings(fileFor(application), QSettings::IniFormat);
    const QVariant value = settings.value(addressOf(section, key));
    // A hand-edited value with unquoted commas reads as a list; keep it as the text it was.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void QSettingsBackend::save(const QString& application, const QString& section, const QString& key,
                            const QString& value) {
    QSettings settings(fileFor(application), QSettings::IniFormat);
    settings.setValue(addressOf(section, key), value);
    commit(settings);
}

bool QSettingsBackend::remove(const QString& application, const QString& section,
                              const QString& key) {
    QSettings settings(fileFor(application), QSettings::IniFormat);
    const QString address = addressOf(section, key);
    if (!settings.contains(address))
        return false;
    settings.remove(address);
    commit(settings);
    return true;
}

std::unique_ptr<SettingsBackend> makeUserSettingsBackend() {
    return std::make_unique<QSettingsBackend>();
}

} // namespace pelto
