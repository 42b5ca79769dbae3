#include "profiles/ProfileHistory.h"

#include "diag/Convert.h"
#include "diag/Procedure.h"
#include "platform/LocaleSeparators.h"
#include "platform/ProgramState.h"
#include "profiles/ProfileTables.h"
#include "settings/Registry.h"
#include "settings/SettingsKeys.h"

namespace pelto {

using diag::Procedure;
using diag::traceParams;

namespace {

constexpr auto kModule = "Pelto";

std::function<QDate()>& dateSource() {
    static std::function<QDate()> source;
    return source;
}
const StateReset kResetDateSource{[] { dateSource() = nullptr; }};

QDate today() {
    return dateSource() ? dateSource()() : QDate::currentDate();
}

Registry& reg() {
    if (g().goReg == nullptr)
        throw RuntimeError(err::ObjectNotSet,
                           QStringLiteral("Object variable or With block variable not set"));
    return *g().goReg;
}

QString readKey(const QString& key) {
    Registry& r = reg();
    r.setKey(key);
    r.GetReg();
    return r.Settings();
}

qint32 readNumber(const QString& key) {
    return diag::CvtInt(readKey(key), QStringLiteral("StoreProfiles: ") + key);
}

void saveKey(const QString& key, const QString& value) {
    Registry& r = reg();
    r.setKey(key);
    r.setSettings(value);
    r.SaveReg();
}

// Deletes a key, passing over one that is not stored (a hand-edited store must not make every
// profile read fail).
void deleteKey(const QString& key) {
    if (readKey(key).isEmpty())
        return;
    reg().setKey(key);
    reg().DelReg();
}

QString key(const settings::SettingKey& k) {
    return settings::keyName(k);
}

} // namespace

bool StoreProfiles(const QString& asProfileDesc, qint16 aiMaxLines) {
    bool result = false;
    Procedure proc(kModule, "Function StoreProfiles", [&] {
        return traceParams("asProfileDesc", asProfileDesc, "aiMaxLines", aiMaxLines);
    });
    const auto failed = [] {
        g().gbErrorFlag = true;
        return false;
    };
    const auto trap = proc.trap();

    const TextTable& table = g().gasProfile;
    qint32 entries = 0;
    if (!trap([&] {
            reg().setSection(QString::fromLatin1(settings::kSettingsSection));
            entries = readNumber(key(settings::key::NumProfiles));
        }))
        return failed();

    int found = 0;
    bool changed = false;
    for (int i = 1; i <= entries; ++i) {
        if (!trap([&] {
                reg().setSection(settings::profileSection(i));
                if (readKey(key(settings::key::Description)) != asProfileDesc)
                    return;
                found = i;
                g().giProfileEntry = static_cast<qint16>(i);
                const qint32 stored = readNumber(key(settings::key::LinesUsed));
                // A profile whose line count differs has changed, also when it only gained
                // lines after the stored ones.
                bool same = stored == aiMaxLines;
                for (int line = 1; same && line <= stored; ++line)
                    same =
                        readKey(settings::profileLineKey(line)) == table.at(profile::kLine, line);
                if (same) {
                    saveKey(key(settings::key::LastUsed),
                            lastUsedText(today(), dateSeparatorOf(QLocale::system())));
                    return;
                }
                for (int line = aiMaxLines + 1; line <= stored; ++line)
                    deleteKey(settings::profileLineKey(line));
                changed = true;
            }))
            return failed();
    }

    if (!trap([&] {
            if (found > 0) {
                // Later callers (the check, the copy) read and raise "TimesUsed" in the section
                // left current: it must be the chosen profile's.
                reg().setSection(settings::profileSection(found));
                if (!changed) {
                    result = true;
                    return;
                }
            } else {
                found = entries + 1;
                reg().setSection(QString::fromLatin1(settings::kSettingsSection));
                saveKey(key(settings::key::NumProfiles), QString::number(found));
                reg().setSection(settings::profileSection(found));
                g().giProfileEntry = static_cast<qint16>(found);
            }
            saveKey(key(settings::key::Description), asProfileDesc);
            saveKey(key(settings::key::TimesUsed), QStringLiteral("0"));
            saveKey(key(settings::key::LastUsed),
                    lastUsedText(today(), dateSeparatorOf(QLocale::system())));
            saveKey(key(settings::key::LinesUsed), QString::number(aiMaxLines));
            for (int line = 1; line <= aiMaxLines; ++line)
                saveKey(settings::profileLineKey(line), table.at(profile::kLine, line));
            result = true;
        }))
        return failed();
    return result;
}

bool StoreFolderProfile(const QString& asPath) {
    Procedure proc(kModule, "Function StoreFolderProfile",
                   [&] { return traceParams("asPath", asPath); });
    const auto trap = proc.trap();
    const auto work = [&] {
        TextTable& record = g().gasFolderProfile;
        const int n = record.at(profile::kFolderLine, 0).toInt();
        if (n >= record.upperBound())
            record.redimPreserve(n + profile::growthStep());
        record.set(profile::kFolderLine, 0, QString::number(n + 1));
        record.set(profile::kFolderPath, n + 1, asPath);
        record.set(profile::kFolderLine, n + 1, QString::number(g().giProfileLine));
    };
    if (!trap(work)) {
        g().gbErrorFlag = true;
        return false;
    }
    return true;
}

QString dateSeparatorOf(const QLocale& locale) {
    return QString(dateSeparator(locale));
}

QString lastUsedText(const QDate& date, const QString& separator) {
    return QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + separator +
           QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0')) + separator +
           QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
}

void setHistoryDateSource(std::function<QDate()> today) {
    dateSource() = std::move(today);
}

} // namespace pelto
