#pragma once
// How every instrumented procedure traces itself and traps its errors.
//
//   bool CheckFolders(MainForm& af, const QString& asSource) {
//       bool result = false;
//       Procedure proc("Pelto", "Function CheckFolders",
//                      [&] { return traceParams("af", "<Form>", "asSource", asSource); });
//       const auto trap = proc.trap([&](const RuntimeError& e) {
//           switch (e.number()) {
//           case err::PathNotFound: // folder gone: log it and go on without it
//               LogError("Pelto", "CheckFolders", "...", false);
//               return Answer::Skip;
//           default:
//               return Answer::None; // the failure report decides
//           }
//       });
//       const auto folder = trap([&] { return goFSO.GetFolder(asSource); });
//       if (folder.skipped())
//           return true;
//       if (!folder)
//           return result;
//       if (!trap([&] { goFSO.CreateFolder(destination); }))
//           return result;
//       ...
//       result = true;
//       return result;
//   }
//
// The entry line is written when `proc` is made and the exit line when it goes out of scope, on
// every way out of the function; the parameter text is built only while a receiver listens, and
// again at exit so that changed reference parameters show their new values.
//
// `proc.trap(handler)` binds the procedure's handler for expected error numbers once;
// `proc.trap()` makes a trap whose errors all go to the failure report. A statement run by the
// trap that throws RuntimeError goes to the handler, whose Answer is Retry (run it again), Ignore
// (go on after it), Abort (leave the procedure through its normal exit), Skip (give up the
// current item) or None (ask the failure report, whose answer is Retry, Ignore or Abort). Other
// exceptions go straight to the failure report. Reports name the source line of the statement.
//
// The statement's result tells its caller how it ended: true when the procedure goes on (the
// statement ran, or its error was ignored), `skipped()` after Skip, false after Abort and Skip.
// A statement that returns a value hands it back in the result's `value()` when it ran to its end.
// A trap costs no allocation: statement and handler are templates, run where they are written.

#include "diag/Answer.h"
#include "diag/Trace.h"
#include "platform/RuntimeError.h"

#include <QString>
#include <concepts>
#include <exception>
#include <new>
#include <optional>
#include <source_location>
#include <type_traits>
#include <utility>

namespace pelto::diag {

inline QString traceValue(const QString& v) {
    return v;
}
inline QString traceValue(const char* v) {
    return QString::fromUtf8(v);
}
inline QString traceValue(bool v) {
    return v ? QStringLiteral("True") : QStringLiteral("False");
}
template <std::integral T> QString traceValue(T v) {
    return QString::number(v);
}
inline QString traceValue(double v) {
    return QString::number(v);
}

namespace detail {
inline void appendParams(QString&) {}
template <typename V, typename... Rest>
void appendParams(QString& out, const char* name, const V& value, const Rest&... rest) {
    if (out.size() > 1)
        out += QStringLiteral(", ");
    out += QLatin1String(name);
    out += QLatin1Char('=');
    out += traceValue(value);
    appendParams(out, rest...);
}
} // namespace detail

// "(name=value, name=value)", or "()" for none.
template <typename... Args> QString traceParams(const Args&... args) {
    static_assert(sizeof...(Args) % 2 == 0, "traceParams takes name, value pairs");
    QString out(QLatin1Char('('));
    detail::appendParams(out, args...);
    out += QLatin1Char(')');
    return out;
}

// How a trapped statement ended, with the value of a statement that returns one.
template <typename T> class [[nodiscard]] Trapped;

// A statement's result need not be tested when nothing follows it in the procedure; one that
// returns a value must be looked at.
template <> class Trapped<void> {
public:
    explicit Trapped(Answer answer) noexcept : answer_(answer) {}

    // True when the procedure goes on after the statement: it ran, or its error was ignored.
    explicit operator bool() const noexcept {
        return answer_ == Answer::None || answer_ == Answer::Ignore;
    }
    // True when the handler gave up the current item.
    bool skipped() const noexcept { return answer_ == Answer::Skip; }
    // None when the statement ran to its end, else the answer that ended it.
    Answer answer() const noexcept { return answer_; }

private:
    Answer answer_;
};

template <typename T> class [[nodiscard]] Trapped : public Trapped<void> {
public:
    explicit Trapped(Answer answer) noexcept : Trapped<void>(answer) {}
    explicit Trapped(T value) : Trapped<void>(Answer::None), value_(std::move(value)) {}

    // The statement's value; empty when the statement did not run to its end.
    const std::optional<T>& value() const& noexcept { return value_; }
    std::optional<T>&& value() && noexcept { return std::move(value_); }
    template <typename U> T valueOr(U&& fallback) const& {
        return value_.value_or(std::forward<U>(fallback));
    }
    template <typename U> T valueOr(U&& fallback) && {
        return std::move(value_).value_or(std::forward<U>(fallback));
    }

private:
    std::optional<T> value_;
};

// The handler of a trap without one: every error goes to the failure report.
struct ReportAll {
    Answer operator()(const RuntimeError&) const noexcept { return Answer::None; }
};

// The non-template part of a procedure: its names and the failure report.
class ProcedureScope {
public:
    ProcedureScope(const char* module, const char* name) : module_(module), name_(name) {}
    ProcedureScope(const ProcedureScope&) = delete;
    ProcedureScope& operator=(const ProcedureScope&) = delete;

    QString module() const { return QString::fromLatin1(module_); }
    QString name() const { return QString::fromLatin1(name_); }

    // Sends an error to the failure report: Retry, Ignore or Abort.
    Answer report(const RuntimeError& error, int line) const {
        return TrapError(module(), name(), error, line);
    }

    // A trap for this procedure's statements with `handler` for expected error numbers.
    template <typename Handler = ReportAll> auto trap(Handler handler = {}) const;

private:
    const char* module_;
    const char* name_;
};

// A member function as the handler, for a class that keeps its trap as a member:
//   const diag::Trap<diag::Method<FileCopyRun, &FileCopyRun::onError>> trap_;
template <typename C, Answer (C::*Member)(const RuntimeError&)> struct Method {
    C* object;
    Answer operator()(const RuntimeError& e) const { return (object->*Member)(e); }
};

// Runs statements under a procedure's trap; made by ProcedureScope::trap.
template <typename Handler = ReportAll> class Trap {
public:
    Trap(const ProcedureScope& proc, Handler handler) : proc_(proc), handler_(std::move(handler)) {}

    // Runs `stmt` until it completes or an answer other than Retry ends it. `where` is the
    // statement's place in the source, which the failure report names.
    template <typename Stmt>
    auto operator()(Stmt&& stmt,
                    std::source_location where = std::source_location::current()) const {
        using Value = std::remove_cvref_t<std::invoke_result_t<Stmt&>>;
        for (;;) {
            Answer answer;
            try {
                if constexpr (std::is_void_v<Value>) {
                    stmt();
                    return Trapped<void>(Answer::None);
                } else {
                    return Trapped<Value>(stmt());
                }
            } catch (const RuntimeError& e) {
                answer = handler_(e);
                if (answer == Answer::None)
                    answer = proc_.report(e, static_cast<int>(where.line()));
            } catch (const std::bad_alloc&) {
                answer =
                    proc_.report(RuntimeError(err::OutOfMemory, QStringLiteral("Out of memory")),
                                 static_cast<int>(where.line()));
            } catch (const std::exception& e) {
                answer =
                    proc_.report(RuntimeError(err::InternalError, QString::fromLocal8Bit(e.what())),
                                 static_cast<int>(where.line()));
            }
            if (answer != Answer::Retry)
                return Trapped<Value>(answer);
        }
    }

private:
    const ProcedureScope& proc_;
    Handler handler_;
};

template <typename Handler> auto ProcedureScope::trap(Handler handler) const {
    return Trap<Handler>(*this, std::move(handler));
}

// A traced procedure. `params` builds the parameter text; it is called only while tracing.
template <typename ParamFn> class Procedure : public ProcedureScope {
public:
    Procedure(const char* module, const char* name, ParamFn params)
        : ProcedureScope(module, name), params_(std::move(params)) {
        if (TraceActive())
            TraceEnter(this->module(), this->name(), params_());
    }
    ~Procedure() {
        if (TraceActive())
            TraceExit(module(), name(), params_());
    }

private:
    ParamFn params_;
};

// A procedure without parameters traces "()".
inline auto noParams() {
    return [] { return QStringLiteral("()"); };
}

} // namespace pelto::diag
