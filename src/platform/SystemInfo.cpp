#include "platform/SystemInfo.h"

#include <QProcess>
#include <QStandardPaths>

namespace pelto {

QStringList systemInfoProgramNames() {
    return {QStringLiteral("hardinfo2"),        QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),      QStringLiteral("gnome-system-monitor"),
            QStringLiteral("lshw-gtk"),         QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager")};
}

QString systemInfoProgram(const QStringList& folders) {
    for (const QString& name : systemInfoProgramNames()) {
        const QString found = QStandardPaths::findExecutable(name, folders);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

bool startProgram(const QString& program) {
    return !program.isEmpty() && QProcess::startDetached(program, {});
}

} // namespace pelto
