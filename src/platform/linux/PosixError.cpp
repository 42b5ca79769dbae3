#include "platform/linux/PosixError.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>

namespace pelto {

namespace {

// The file-system service's text for the number, else the system's text for errno.
QString describe(qint32 number, int errnoValue) {
    QString text = fsErrorText(number);
    if (text.isEmpty() && errnoValue != 0)
        text = QString::fromLocal8Bit(std::strerror(errnoValue));
    return text;
}

} // namespace

qint32 errorNumberForErrno(int errnoValue, qint32 notFound) {
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        return notFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return err::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return err::DiskFull;
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
    case EDEADLK:
        return err::LockViolation;
    case EEXIST:
        return err::FileAlreadyExists;
    case ENAMETOOLONG:
    case ELOOP:
        return err::BadFileNameOrNumber;
    case EIO:
        return err::DeviceIoError;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
        return err::DeviceUnavailable;
    case ENOMEM:
        return err::OutOfMemory;
    case EMFILE:
    case ENFILE:
        return err::TooManyFiles;
    default:
        return err::PathFileAccessError;
    }
}

RuntimeError errnoError(int errnoValue, qint32 notFound) {
    const qint32 number = errorNumberForErrno(errnoValue, notFound);
    return RuntimeError(number, describe(number, errnoValue), QStringLiteral("FileSystem"));
}

} // namespace pelto
