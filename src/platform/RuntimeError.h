#pragma once
// The program's run-time error: a number that callers route on, a description, and the name of
// the component that raised it.

#include <QString>
#include <exception>
#include <string>

namespace pelto {

// Error numbers the program routes on. System status codes are kept as their signed 32-bit
// values, so they compare below -2000000000 as the failure report expects.
namespace err {
inline constexpr qint32 Overflow = 6;
inline constexpr qint32 OutOfMemory = 7;
// A failure that carries no number of its own (any other exception).
inline constexpr qint32 InternalError = 51;
inline constexpr qint32 BadFileNameOrNumber = 52;
inline constexpr qint32 FileNotFound = 53;
inline constexpr qint32 DeviceIoError = 57;
inline constexpr qint32 FileAlreadyExists = 58;
inline constexpr qint32 TooManyFiles = 67;
inline constexpr qint32 DeviceUnavailable = 68;
inline constexpr qint32 PermissionDenied = 70;
// Any other failure to reach a file or folder.
inline constexpr qint32 PathFileAccessError = 75;
inline constexpr qint32 PathNotFound = 76;
inline constexpr qint32 ObjectNotSet = 91;
// A menu entry the window was built with cannot be removed.
inline constexpr qint32 DesignTimeControl = 362;
inline constexpr qint32 LockViolation = static_cast<qint32>(0x80070021u);
inline constexpr qint32 DiskFull = static_cast<qint32>(0x80070070u);
} // namespace err

class RuntimeError : public std::exception {
public:
    RuntimeError(qint32 number, QString description, QString source = {});

    qint32 number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    // Names the component that raised the error ("" for the program itself).
    const QString& source() const noexcept { return source_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    qint32 number_;
    QString description_;
    QString source_;
    std::string what_;
};

// The standard description of a known error number ("File not found" for 53), or "".
QString describeError(qint32 number);

} // namespace pelto
