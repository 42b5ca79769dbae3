#pragma once
// The one answer to a run-time error, whoever gives it: a procedure's own handler, the failure
// report, or the Abort / Retry / Ignore question of the error log.

namespace pelto::diag {

// The numbers are the codes callers store and compare (LogError's result): 0 when nothing was
// asked, 1 Retry, 2 Ignore, 3 Abort. Skip is a handler's verdict only and never a stored code.
enum class Answer : int {
    None = 0,   // Nothing was asked. From a handler: no answer of its own, the failure report asks.
    Retry = 1,  // Run the failing statement again.
    Ignore = 2, // Go on after the failing statement.
    Abort = 3,  // Leave the procedure through its normal exit, returning what the function holds.
    Skip = 4,   // Give up the current item: the statement's caller goes on with its next item.
};

// An answer compares equal to its stored code.
constexpr bool operator==(Answer answer, int code) {
    return static_cast<int>(answer) == code;
}

} // namespace pelto::diag
