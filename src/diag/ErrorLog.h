#pragma once
// The error log: one call, LogError, writes a message to the log file (append-only, a run
// header once per run), to the message-log window's text, and optionally to a notice box or an
// Abort / Retry / Ignore question.

#include "diag/Answer.h"
#include "platform/RuntimeError.h"

#include <QString>
#include <functional>

namespace pelto::diag {

bool LogEnabled();
void SetLogEnabled(bool enabled);
QString LogFile();
void SetLogFile(const QString& path);

// Returns Answer::None (0) when nothing was asked, else Abort (3), Retry (1) or Ignore (2).
Answer LogError(const QString& asMod, const QString& asProc, const QString& asMsg,
                bool abShowMsgBox = true, bool abChoices = false);
// The same, carrying the caller's pending error (number, description, line) into the line.
Answer LogError(const QString& asMod, const QString& asProc, const QString& asMsg,
                bool abShowMsgBox, bool abChoices, const RuntimeError& pending, int line);

// Shows `text` in the "Unexpected Error" box and returns the user's Abort, Retry or Ignore.
Answer askAbortRetryIgnore(const QString& text);

// Writes the run header; called once per run by LogError and the failure report.
void LogStart();
bool LogStarted();

// The operating system's text for an error code, on one line; "Error not found." when unknown.
// Codes from 0 up are errno values (the C library's texts); negative codes of the form
// 0x8007xxxx are the status codes the file-system service raises (lock violation, disk full).
QString MessageText(qint32 alCode);

// What the message-log window shows: "Message Log:" + CR LF, then CR LF + each message.
class MessageLog {
public:
    const QString& text() const { return text_; }
    void append(const QString& message);
    // The check empties the window at its start (the text becomes "").
    void clear();
    // The window fills this in to show and dock itself when the run header is written.
    std::function<void()> showAndDock;
    // The window fills this in to refresh its text box when the text changes.
    std::function<void()> changed;

private:
    QString text_ = QStringLiteral("Message Log:\r\n");
};
MessageLog& messageLog();

// The elapsed-time clock that long operations use to pace display refreshes.
void StartTimer();
float ElapsedSeconds();

// Returns the error log to its state at program start (part of resetProgramState(); a test
// calls it alone to start a second run of the log).
void ResetErrorLog();

} // namespace pelto::diag
