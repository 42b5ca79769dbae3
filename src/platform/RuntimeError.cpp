#include "platform/RuntimeError.h"

namespace pelto {

RuntimeError::RuntimeError(qint32 number, QString description, QString source)
    : number_(number), description_(std::move(description)), source_(std::move(source)),
      what_(QStringLiteral("error %1: %2").arg(number_).arg(description_).toStdString()) {}

QString describeError(qint32 number) {
    switch (number) {
    case err::BadFileNameOrNumber:
        return QStringLiteral("Bad file name or number");
    case err::FileNotFound:
        return QStringLiteral("File not found");
    case err::DeviceUnavailable:
        return QStringLiteral("Device unavailable");
    case err::PermissionDenied:
        return QStringLiteral("Permission denied");
    case err::PathNotFound:
        return QStringLiteral("Path not found");
    case err::LockViolation:
        return QStringLiteral("The process cannot access the file because another process has "
                              "locked a portion of the file.");
    case err::DiskFull:
        return QStringLiteral("There is not enough space on the disk.");
    default:
        return {};
    }
}

} // namespace pelto
