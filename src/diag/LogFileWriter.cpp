#include "diag/LogFileWriter.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pelto::diag {

void appendLogText(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        const qint32 number =
            QFileInfo(path).absoluteDir().exists() ? err::PermissionDenied : err::PathNotFound;
        throw RuntimeError(number, describeError(number));
    }
    QByteArray bytes = text.toLocal8Bit();
    bytes.append("\r\n", 2);
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw RuntimeError(err::DiskFull, describeError(err::DiskFull));
}

} // namespace pelto::diag
