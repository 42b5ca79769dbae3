#include "engine/copy/CopyRules.h"

#include "engine/copy/CopyLines.h"
#include "platform/FsPath.h"
#include "platform/SystemDirs.h"

#include <QFileInfo>
#include <array>

namespace pelto::copyrules {

namespace {

using copylines::nativeRule;

template <std::size_t N>
bool isOneOf(const QString& lowerName, const std::array<QLatin1StringView, N>& names) {
    for (const QLatin1StringView name : names) {
        if (lowerName == name)
            return true;
    }
    return false;
}

// Rule texts in native separators, made once.
struct Rules {
    QString musicJukebox = nativeRule(QLatin1StringView("\\musicmatch\\musicmatch jukebox\\"));
    QString firefoxProfiles = nativeRule(QLatin1StringView("\\firefox\\profiles\\"));
    QString mozillaProfiles = nativeRule(QLatin1StringView("\\mozilla\\profiles\\"));
    QString cache = nativeRule(QLatin1StringView("\\cache\\"));
    QString eventCache = nativeRule(QLatin1StringView("softwaredistribution\\eventcache\\"));
    QString dataStore = nativeRule(QLatin1StringView("softwaredistribution\\datastore\\"));
    QString prefetch = nativeRule(QLatin1StringView("\\windows\\prefetch\\"));
    QString userProfiles = nativeRule(QLatin1StringView("\\documents and settings\\"));
    QString localTemp = nativeRule(QLatin1StringView("local settings\\temp"));
    QString cookies = nativeRule(QLatin1StringView("\\cookies"));
    QString recent = nativeRule(QLatin1StringView("\\recent"));
    QString helpCenter = nativeRule(QLatin1StringView("\\pchealth\\helpctr\\"));
    QString printers = nativeRule(QLatin1StringView("\\system32\\spool\\printers"));
    QString temporaryFiles = nativeRule(QLatin1StringView("local settings\\temporary"));
    QString scannerTemp = nativeRule(QLatin1StringView("\\spy sweeper\\temp"));
    QString machineKeys = nativeRule(QLatin1StringView("microsoft\\crypto\\rsa\\machinekeys\\"));
    QString firefox = nativeRule(QLatin1StringView("\\mozilla\\firefox\\"));
    QString config = nativeRule(QLatin1StringView("\\system32\\config\\"));
    QString bootWizard = nativeRule(QLatin1StringView("\\bootwiz"));
};

const Rules& rules() {
    static const Rules r;
    return r;
}

QString canonicalOrNormal(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? fspath::normalize(path) : canonical;
}

} // namespace

bool isDriveRootSystemName(const QString& lowerName) {
    static constexpr std::array names{
        QLatin1StringView("win386.swp"), QLatin1StringView("pagefile.sys"),
        QLatin1StringView("hiberfil.sys"), QLatin1StringView("diskstamp.iomega")};
    return isOneOf(lowerName, names);
}

bool isRegistryHiveName(const QString& lowerName) {
    static constexpr std::array names{
        QLatin1StringView("default"),  QLatin1StringView("default.log"),
        QLatin1StringView("sam"),      QLatin1StringView("sam.log"),
        QLatin1StringView("security"), QLatin1StringView("security.log"),
        QLatin1StringView("software"), QLatin1StringView("software.log"),
        QLatin1StringView("system"),   QLatin1StringView("system.log")};
    return isOneOf(lowerName, names);
}

bool isUserHiveName(const QString& lowerName) {
    static constexpr std::array names{
        QLatin1StringView("ntuser.dat"), QLatin1StringView("ntuser.dat.log"),
        QLatin1StringView("usrclass.dat"), QLatin1StringView("usrclass.dat.log")};
    return isOneOf(lowerName, names);
}

bool isLiveConfigFolder(const QString& dir) {
    const QString system = GetSystemDir();
    if (system == QLatin1StringView(kApiCallFailed) || system.isEmpty())
        return false;
    const QString folder = fspath::normalize(dir);
    if (folder.compare(fspath::normalize(system), Qt::CaseInsensitive) == 0)
        return true;
    // The same folder reached through a link.
    return canonicalOrNormal(folder) == canonicalOrNormal(system);
}

bool isConfigFolderText(const QString& lowerDir) {
    return lowerDir.contains(rules().config);
}

bool isUserProfileText(const QString& lowerDir) {
    return lowerDir.contains(rules().userProfiles);
}

bool isVolatile(const QString& lowerDir, const QString& lowerName) {
    const Rules& r = rules();
    const auto has = [&](const QString& text) { return lowerDir.contains(text); };
    if (has(r.musicJukebox))
        return true;
    if ((has(r.firefoxProfiles) || has(r.mozillaProfiles)) && has(r.cache))
        return true;
    if (lowerName.contains(QLatin1StringView(".ldb")) ||
        lowerName.contains(QLatin1StringView(".lck")))
        return true;
    if (has(r.eventCache) || has(r.dataStore) || has(r.prefetch))
        return true;
    if (has(r.userProfiles))
        return has(r.localTemp) || has(r.cookies) || has(r.recent);
    return has(r.helpCenter) || has(r.printers);
}

bool isTemporaryFilesFolder(const QString& lowerDir) {
    return lowerDir.contains(rules().temporaryFiles);
}

bool isScannerTempFolder(const QString& lowerDir) {
    return lowerDir.contains(rules().scannerTemp);
}

bool hasUmlaut(const QString& name) {
    static const QString letters = QStringLiteral("\u00EB\u00EF\u00E8\u00EE\u00E2\u00FB");
    const QString lower = name.toLower();
    for (const QChar c : letters) {
        if (lower.contains(c))
            return true;
    }
    return false;
}

bool isMachineKeysFolder(const QString& lowerDir) {
    return lowerDir.contains(rules().machineKeys);
}

bool isBrowserParentLock(const QString& lowerDir, const QString& lowerName) {
    return lowerDir.contains(rules().firefox) && lowerName == QLatin1StringView("parent.lock");
}

bool isBootWizardFolder(const QString& lowerFolder) {
    return lowerFolder.endsWith(rules().bootWizard);
}

std::optional<int> carriedAttributes(int a) {
    a &= 0xFF;
    if (a >= 128)
        a -= 128;
    if (a >= 64)
        a -= 64;
    std::optional<int> value;
    if (a >= 32) {
        value = 32;
        a -= 32;
    }
    if (a >= 16)
        a -= 16;
    if (a >= 8)
        a -= 8;
    if (a > 0)
        value = a;
    return value;
}

} // namespace pelto::copyrules
