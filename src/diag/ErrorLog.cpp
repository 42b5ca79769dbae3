#include "diag/ErrorLog.h"

#include "diag/LogFileWriter.h"
#include "diag/LogText.h"
#include "diag/Procedure.h"
#include "diag/Version.h"
#include "diag/WallClock.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/ProgramState.h"

#include <QLocale>
#include <cstring>

namespace pelto::diag {
namespace {

struct ErrorLogState {
    bool enabled = false;
    QString file;
    bool started = false;
    qint64 timerStartMs = 0;
};

ErrorLogState& state() {
    static ErrorLogState s;
    return s;
}

// Errors inside the logging and box steps are skipped one step at a time, so a log file that
// cannot be written never stops the message box or the caller.
constexpr auto skipStep = [](const RuntimeError&) { return Answer::Ignore; };

// Status codes of the Win32 facility in the form the program keeps them (0x8007xxxx).
bool isSystemStatusCode(qint32 code) {
    return (static_cast<quint32>(code) & 0xFFFF0000u) == 0x80070000u;
}

// The raw system text for a code: errno values have the C library's descriptions; the status
// codes the file-system service raises have their own texts; anything else has none.
QString systemErrorText(qint32 code) {
    if (code >= 0) {
        const char* text = strerrordesc_np(code);
        return text ? QString::fromLocal8Bit(text) : QString();
    }
    if (isSystemStatusCode(code))
        return describeError(code);
    return {};
}

// The line LogError writes: the message alone, or with the caller's pending error in front.
QString composeMessage(const QString& asMod, const QString& asProc, const QString& asMsg,
                       const RuntimeError* pending, int line) {
    if (!pending || pending->number() == 0)
        return asMsg;
    const qint32 number = pending->number();
    QString description;
    if (number < -2000000000)
        description = MessageText(number);
    else
        description =
            pending->description().isEmpty() ? describeError(number) : pending->description();
    return QStringLiteral("Program error #%1 (%2) occurred in module %3, %4, line %5 %6")
        .arg(QString::number(number), description, asMod, asProc, QString::number(line), asMsg);
}

Answer logMessage(const QString& asMod, const QString& asProc, const QString& asMsg,
                  bool abShowMsgBox, bool abChoices, const RuntimeError* pending, int line) {
    Answer result = Answer::None;
    Procedure proc("ErrorLog", "Function LogError", [&] {
        return traceParams("asMod", asMod, "asProc", asProc, "asMsg", asMsg, "abShowMsgBox",
                           "<Boolean = True>", "abChoices", "<Boolean = False>");
    });
    const auto trap = proc.trap(skipStep);
    const QString text = composeMessage(asMod, asProc, asMsg, pending, line);

    ErrorLogState& s = state();
    if (s.enabled) {
        if (s.file.isEmpty())
            s.file = QStringLiteral("error.log");
        if (!s.started && !trap([] { LogStart(); }))
            return result;
        if (!trap([&] { appendLogText(s.file, text); }))
            return result;
        if (!trap([&] { messageLog().append(text); }))
            return result;
    }

    if (abShowMsgBox) {
        if (!trap([&] { dialogs().notice(text, QStringLiteral("Pelto Error"), BoxIcon::None); }))
            return result;
    } else if (abChoices) {
        if (!trap([&] { result = askAbortRetryIgnore(text); }))
            return result;
    }
    return result;
}

} // namespace

bool LogEnabled() {
    return state().enabled;
}

void SetLogEnabled(bool enabled) {
    state().enabled = enabled;
}

QString LogFile() {
    return state().file;
}

void SetLogFile(const QString& path) {
    state().file = path;
}

bool LogStarted() {
    return state().started;
}

Answer LogError(const QString& asMod, const QString& asProc, const QString& asMsg,
                bool abShowMsgBox, bool abChoices) {
    return logMessage(asMod, asProc, asMsg, abShowMsgBox, abChoices, nullptr, 0);
}

Answer LogError(const QString& asMod, const QString& asProc, const QString& asMsg,
                bool abShowMsgBox, bool abChoices, const RuntimeError& pending, int line) {
    return logMessage(asMod, asProc, asMsg, abShowMsgBox, abChoices, &pending, line);
}

Answer askAbortRetryIgnore(const QString& text) {
    switch (
        dialogs().abortRetryIgnore(text, QStringLiteral("Unexpected Error"), BoxIcon::Critical)) {
    case BoxAnswer::Retry:
        return Answer::Retry;
    case BoxAnswer::Ignore:
        return Answer::Ignore;
    default:
        return Answer::Abort;
    }
}

void LogStart() {
    Procedure proc("ErrorLog", "Sub LogStart", noParams());
    ErrorLogState& s = state();
    s.started = true;
    const QString header = runHeader(wallClockNow(), QLocale(), kVersion);
    // An unwritable log file is skipped here as in LogError: the window still gets the header.
    const auto skipping = proc.trap(skipStep);
    const auto trap = proc.trap();
    if (!skipping([&] { appendLogText(s.file, QStringLiteral(" \r\n") + header); }))
        return;
    if (!trap([&] { messageLog().append(header); }))
        return;
    trap([] {
        if (messageLog().showAndDock)
            messageLog().showAndDock();
    });
}

QString MessageText(qint32 alCode) {
    const QString result;
    Procedure proc("Pelto", "Function MessageText", [&] { return traceParams("alCode", alCode); });
    const auto trap = proc.trap();
    auto text = trap([&] {
        QString text = systemErrorText(alCode);
        if (text.isEmpty())
            return QStringLiteral("Error not found.");
        const qsizetype firstBreak = text.indexOf(QStringLiteral("\r\n"));
        if (firstBreak >= 0)
            text.replace(firstBreak, 2, QLatin1Char(' '));
        return text.remove(QStringLiteral("\r\n"));
    });
    return std::move(text).valueOr(result);
}

void MessageLog::append(const QString& message) {
    text_ += QStringLiteral("\r\n");
    text_ += message;
    if (changed)
        changed();
}

void MessageLog::clear() {
    text_.clear();
    if (changed)
        changed();
}

MessageLog& messageLog() {
    static MessageLog log;
    return log;
}

void StartTimer() {
    state().timerStartMs = clock().nowMs();
}

float ElapsedSeconds() {
    return static_cast<float>(static_cast<double>(clock().nowMs() - state().timerStartMs) / 1000.0);
}

void ResetErrorLog() {
    state() = ErrorLogState{};
    messageLog() = MessageLog{};
}

namespace {
const StateReset kResetErrorLog{&ResetErrorLog};
} // namespace

} // namespace pelto::diag
