#include "cli/LogEcho.h"

#include "diag/ErrorLog.h"

namespace pelto::cli {
namespace {
const QString kBreak = QStringLiteral("\r\n");
}

LogEcho::LogEcho(diag::MessageLog& log, std::function<void(const QString&)> sink)
    : log_(log), sink_(std::move(sink)), previous_(log.changed), seen_(log.text().size()) {
    log_.changed = [this] { changed(); };
}

LogEcho::~LogEcho() {
    log_.changed = previous_;
}

void LogEcho::changed() {
    const QString& text = log_.text();
    // The check empties the text at its start; everything after that is new.
    if (text.size() < seen_)
        seen_ = 0;
    QString added = text.mid(seen_);
    seen_ = text.size();
    // Each message is appended as CR LF + message.
    if (added.startsWith(kBreak))
        added.remove(0, kBreak.size());
    if (!added.isEmpty()) {
        messages_.append(added);
        if (sink_)
            sink_(added);
    }
    if (previous_)
        previous_();
}

} // namespace pelto::cli
