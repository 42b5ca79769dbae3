#include "settings/Registry.h"

#include "platform/RuntimeError.h"

namespace pelto {

Registry::Registry() : Registry(makeUserSettingsBackend()) {}

Registry::Registry(std::unique_ptr<SettingsBackend> backend) : backend_(std::move(backend)) {}

bool Registry::addressComplete() {
    if (applicationName_.isEmpty())
        settings_ = QString::fromLatin1(kNoApplicationName);
    else if (section_.isEmpty())
        settings_ = QString::fromLatin1(kNoSection);
    else if (key_.isEmpty())
        settings_ = QString::fromLatin1(kNoKey);
    else
        return true;
    return false;
}

void Registry::GetReg() {
    if (addressComplete())
        settings_ = backend_->read(applicationName_, section_, key_);
}

void Registry::SaveReg() {
    if (addressComplete())
        backend_->save(applicationName_, section_, key_, settings_);
}

void Registry::DelReg() {
    if (addressComplete() && !backend_->remove(applicationName_, section_, key_))
        throw RuntimeError(kKeyNotStored, QStringLiteral("Invalid procedure call or argument"),
                           QStringLiteral("Registry"));
}

} // namespace pelto
