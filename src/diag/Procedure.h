#pragma once
// How every instrumented procedure traces itself and traps its errors.
//
//   bool CheckFolders(MainForm& af, const QString& asSource) {
//       bool result = false;
//       Procedure proc("Pelto", "Function CheckFolders",
//                      [&] { return traceParams("af", "<Form>", "asSource", asSource); });
//       const auto onError = [&](const RuntimeError& e) {
//           switch (e.number()) {
//           case err::PathNotFound:      // folder gone: log it and go on
//               LogError("Pelto", "CheckFolders", "...", false);
//               return Resume::Next;
//           default:
//               return Resume::Report;  // the failure report decides
//           }
//       };
//       Folder folder;
//       PELTO_TRY_H(proc, onError, result, folder = goFSO.GetFolder(asSource));
//       ...
//       return result;
//   }
//
// The entry line is written when `proc` is made and the exit line when it goes out of scope, on
// every way out of the function; the parameter text is built only while a receiver listens, and
// again at exit so that changed reference parameters show their new values.
//
// A statement under the trap that throws RuntimeError goes to the handler (if any), whose verdict
// is Retry (run it again), Next (go on after it), Leave (leave the procedure through its normal
// exit, returning what the function holds) or Report (ask the failure report, whose Retry / Ignore
// / Abort answer becomes Retry / Next / Leave). Reports name the source line of the statement.

#include "diag/Trace.h"
#include "platform/RuntimeError.h"

#include <QString>
#include <concepts>
#include <exception>
#include <new>
#include <utility>

namespace pelto::diag {

enum class Resume { Retry, Next, Leave, Report };

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

// The non-template part of a procedure: its names and its trap.
class ProcedureScope {
public:
    ProcedureScope(const char* module, const char* name) : module_(module), name_(name) {}
    ProcedureScope(const ProcedureScope&) = delete;
    ProcedureScope& operator=(const ProcedureScope&) = delete;

    QString module() const { return QString::fromLatin1(module_); }
    QString name() const { return QString::fromLatin1(name_); }

    // Runs one statement under the trap with the failure report as the only handler.
    // Returns false when the procedure must leave.
    template <typename Stmt> bool run(int line, Stmt&& stmt) {
        return run(line, std::forward<Stmt>(stmt),
                   [](const RuntimeError&) { return Resume::Report; });
    }

    template <typename Stmt, typename Handler> bool run(int line, Stmt&& stmt, Handler&& handler) {
        for (;;) {
            Resume verdict;
            try {
                stmt();
                return true;
            } catch (const RuntimeError& e) {
                verdict = handler(e);
                if (verdict == Resume::Report)
                    verdict = report(e, line);
            } catch (const std::bad_alloc&) {
                verdict = report(RuntimeError(7, QStringLiteral("Out of memory")), line);
            } catch (const std::exception& e) {
                verdict = report(RuntimeError(51, QString::fromLocal8Bit(e.what())), line);
            }
            switch (verdict) {
            case Resume::Retry:
                continue;
            case Resume::Next:
                return true;
            default:
                return false;
            }
        }
    }

    // Sends an error to the failure report and turns its answer into a verdict.
    Resume report(const RuntimeError& error, int line) const {
        switch (TrapError(module(), name(), error, line)) {
        case kRetry:
            return Resume::Retry;
        case kIgnore:
            return Resume::Next;
        default:
            return Resume::Leave;
        }
    }

private:
    const char* module_;
    const char* name_;
};

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

// Runs a statement under the procedure's trap; on Leave returns `ret` from the function
// (leave `ret` empty in a function without result). The statement cannot return by itself.
#define PELTO_TRY(proc, ret, ...)                                                                  \
    do {                                                                                           \
        if (!(proc).run(__LINE__, [&]() { __VA_ARGS__; }))                                         \
            return ret;                                                                            \
    } while (false)

// The same with the procedure's own handler for expected error numbers.
#define PELTO_TRY_H(proc, handler, ret, ...)                                                       \
    do {                                                                                           \
        if (!(proc).run(                                                                           \
                __LINE__, [&]() { __VA_ARGS__; }, handler))                                        \
            return ret;                                                                            \
    } while (false)
