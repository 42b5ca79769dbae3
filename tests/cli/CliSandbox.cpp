#include "CliSandbox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

#include <unistd.h>

#ifndef PELTO_CLI_PROGRAM
#error "PELTO_CLI_PROGRAM must name the built pelto-cli"
#endif

namespace pelto::cli::test {
namespace {

// A hard link where the file system allows it, so that a sandbox costs no copy of the program.
bool placeProgram(const QString& target) {
    const QString program = QStringLiteral(PELTO_CLI_PROGRAM);
    if (::link(QFile::encodeName(program).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    return QFile::copy(program, target);
}

} // namespace

CliSandbox::CliSandbox() {
    if (!dir_.isValid())
        return;
    for (const char* folder : {"bin", "home", "config", "runtime"})
        makeFolder(QString::fromLatin1(folder));
    ready_ = placeProgram(path(QStringLiteral("bin/pelto-cli")));
}

QString CliSandbox::path(const QString& relative) const {
    return relative.isEmpty() ? root() : root() + QLatin1Char('/') + relative;
}

CliResult CliSandbox::run(const QStringList& arguments) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(root());
    process.start(path(QStringLiteral("bin/pelto-cli")), arguments);
    CliResult result;
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void CliSandbox::makeFolder(const QString& relative) const {
    QDir().mkpath(path(relative));
}

void CliSandbox::write(const QString& relative, const QByteArray& content, qint64 modified) const {
    const QString file = path(relative);
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    out.write(content);
    // Written out first, or closing the file would stamp it with the time of closing.
    out.flush();
    if (modified != 0)
        out.setFileTime(QDateTime::fromSecsSinceEpoch(modified, Qt::UTC),
                        QFileDevice::FileModificationTime);
}

bool CliSandbox::exists(const QString& relative) const {
    return QFileInfo::exists(path(relative));
}

QString CliSandbox::errorLog() const {
    QFile log(path(QStringLiteral("bin/Error Log.txt")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll());
}

QString CliSandbox::setting(const QString& section, const QString& key) const {
    const QSettings store(path(QStringLiteral("config/Pelto.ini")), QSettings::IniFormat);
    return store.value(section + QLatin1Char('/') + key).toString();
}

QMap<QString, QString> snapshot(const QString& folder) {
    QMap<QString, QString> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString file = it.next();
        const QFileInfo info(file);
        const QString key = base.relativeFilePath(file);
        if (info.isSymLink()) {
            entries.insert(key, QStringLiteral("link ") + info.symLinkTarget());
        } else if (info.isDir()) {
            entries.insert(key, QStringLiteral("folder"));
        } else {
            QFile content(file);
            QByteArray hash;
            if (content.open(QIODevice::ReadOnly))
                hash =
                    QCryptographicHash::hash(content.readAll(), QCryptographicHash::Sha1).toHex();
            entries.insert(key, QStringLiteral("file %1 %2 ")
                                        .arg(info.size())
                                        .arg(info.lastModified().toMSecsSinceEpoch()) +
                                    QString::fromLatin1(hash));
        }
    }
    return entries;
}

} // namespace pelto::cli::test
