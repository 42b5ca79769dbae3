#include "profiles/ProfileHistory.h"

#include "diag/Convert.h"
#include "diag/Procedure.h"
#include "platform/LocaleSeparators.h"
#include "platform/ProgramState.h"
#include "profiles/ProfileTables.h"
#include "settings/Registry.h"
#include "settings/SettingsKeys.h"

#include <optional>
#include <source_location>

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

// Every store operation is a statement of its own under the trap: Retry repeats the operation
// that failed, Ignore goes on with the next one, Abort ends the record with the error flag set.
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
    // One save under the trap; a failure report names the line that asked for it.
    const auto saved = [&](const QString& k, const QString& value,
                           std::source_location where = std::source_location::current()) {
        return static_cast<bool>(trap([&] { saveKey(k, value); }, where));
    };
    const auto lastUsed = [] { return lastUsedText(today(), dateSeparatorOf(QLocale::system())); };

    const TextTable& table = g().gasProfile;
    const auto entries = trap([&] {
        reg().setSection(QString::fromLatin1(settings::kSettingsSection));
        return readNumber(key(settings::key::NumProfiles));
    });
    if (!entries)
        return failed();

    int found = 0;
    bool changed = false;
    for (int i = 1; i <= entries.valueOr(0); ++i) {
        const auto description = trap([&] {
            reg().setSection(settings::profileSection(i));
            return readKey(key(settings::key::Description));
        });
        if (!description)
            return failed();
        if (description.valueOr(QString()) != asProfileDesc)
            continue;
        found = i;
        g().giProfileEntry = static_cast<qint16>(i);
        const auto stored = trap([&] { return readNumber(key(settings::key::LinesUsed)); });
        if (!stored)
            return failed();
        // A profile whose line count differs has changed, also when it only gained lines after
        // the stored ones. A line that cannot be read counts as changed.
        bool same = stored.valueOr(0) == aiMaxLines;
        for (int line = 1; same && line <= stored.valueOr(0); ++line) {
            const auto text = trap([&] { return readKey(settings::profileLineKey(line)); });
            if (!text)
                return failed();
            const std::optional<QString>& read = text.value();
            same = read && *read == table.at(profile::kLine, line);
        }
        if (same) {
            if (!saved(key(settings::key::LastUsed), lastUsed()))
                return failed();
            continue;
        }
        for (int line = aiMaxLines + 1; line <= stored.valueOr(0); ++line) {
            if (!trap([&] { deleteKey(settings::profileLineKey(line)); }))
                return failed();
        }
        changed = true;
    }

    if (found > 0) {
        // Later callers (the check, the copy) read and raise "TimesUsed" in the section left
        // current: it must be the chosen profile's.
        if (!trap([&] { reg().setSection(settings::profileSection(found)); }))
            return failed();
        if (!changed) {
            result = true;
            return result;
        }
    } else {
        found = entries.valueOr(0) + 1;
        if (!trap([&] { reg().setSection(QString::fromLatin1(settings::kSettingsSection)); }) ||
            !saved(key(settings::key::NumProfiles), QString::number(found)) ||
            !trap([&] { reg().setSection(settings::profileSection(found)); }))
            return failed();
        g().giProfileEntry = static_cast<qint16>(found);
    }
    if (!saved(key(settings::key::Description), asProfileDesc) ||
        !saved(key(settings::key::TimesUsed), QStringLiteral("0")) ||
        !saved(key(settings::key::LastUsed), lastUsed()) ||
        !saved(key(settings::key::LinesUsed), QString::number(aiMaxLines)))
        return failed();
    for (int line = 1; line <= aiMaxLines; ++line) {
        if (!saved(settings::profileLineKey(line), table.at(profile::kLine, line)))
            return failed();
    }
    result = true;
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
