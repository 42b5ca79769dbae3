#include "cli/LogEcho.h"

#include "diag/ErrorLog.h"

namespace pelto::cli {
namespace {
const QString kBreak = QStringLiteral("\r\n");

// The notes a profile's exclusions write: what the profile asked for, not a problem.
bool isExclusionNote(const QString& message) {
    for (const char* start : {"Files excluded: ", "Source file excluded: ",
                              "Destination file excluded: ", "Source folder excluded: "}) {
        if (message.startsWith(QLatin1StringView(start)))
            return true;
    }
    return false;
}
} // namespace

LogEcho::LogEcho(diag::MessageLog& log, Sink sink)
    : log_(log), sink_(std::move(sink)), previous_(log.changed), logStarted_(diag::LogStarted()),
      seen_(log.text().size()) {
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
    // The log writes its run header right after it starts, before the message that started it.
    const bool header = !logStarted_ && diag::LogStarted();
    logStarted_ = diag::LogStarted();
    // Each message is appended as CR LF + message.
    if (added.startsWith(kBreak))
        added.remove(0, kBreak.size());
    if (!added.isEmpty()) {
        messages_.append(added);
        if (sink_)
            sink_(added, header || isExclusionNote(added));
    }
    if (previous_)
        previous_();
}

} // namespace pelto::cli
