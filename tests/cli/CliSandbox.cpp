#include "CliSandbox.h"

#include <QCryptographicHash>
#include <QDateTime>
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

CliSandbox::CliSandbox() {
    if (!dir_.isValid())
        return;
    for (const char* folder : {"bin", "home", "config", "runtime"})
        makeFolder(folder);
    // A hard link where the file system allows it, so that a sandbox costs no copy.
    const QString program = QStringLiteral(PELTO_CLI_PROGRAM);
    const QString target = path("bin/pelto-cli");
    ready_ = ::link(QFile::encodeName(program).constData(),
                    QFile::encodeName(target).constData()) == 0 ||
             QFile::copy(program, target);
}

QString CliSandbox::path(const QString& relative) const {
    return relative.isEmpty() ? dir_.path() : dir_.path() + QLatin1Char('/') + relative;
}

CliResult CliSandbox::run(const QStringList& arguments) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", path("home"));
    env.insert("XDG_CONFIG_HOME", path("config"));
    env.insert("XDG_RUNTIME_DIR", path("runtime"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(path({}));
    process.start(path("bin/pelto-cli"), arguments);
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
    QDir().mkpath(QFileInfo(path(relative)).path());
    QFile out(path(relative));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    out.write(content);
    out.flush(); // or closing the file would stamp it with the time of closing
    out.setFileTime(QDateTime::fromSecsSinceEpoch(modified, Qt::UTC),
                    QFileDevice::FileModificationTime);
}

bool CliSandbox::exists(const QString& relative) const {
    return QFileInfo::exists(path(relative));
}

QString CliSandbox::errorLog() const {
    QFile log(path("bin/Error Log.txt"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

QString CliSandbox::setting(const QString& section, const QString& key) const {
    const QSettings store(path("config/Pelto.ini"), QSettings::IniFormat);
    return store.value(section + QLatin1Char('/') + key).toString();
}

void CliSandbox::buildMixedTree() const {
    write("src/a.txt", "a");
    write("src/b.txt", "b new", kNewer);
    write("dst/b.txt", "b");
    write("src/same.txt", "same");
    write("dst/same.txt", "same");
    write("src/Upper.TXT", "upper");
    write("src/newdir/n.txt", "n");
    write("src/sub/c.txt", "c");
    makeFolder("dst/sub");
    write("dst/x.log", "x");
    write("dst/old/o.txt", "o");
}

QMap<QString, QString> snapshot(const QString& folder) {
    QMap<QString, QString> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QFileInfo info(file);
        QString& entry = entries[QDir(folder).relativeFilePath(file)];
        if (info.isSymLink()) {
            entry = "link " + info.symLinkTarget();
        } else if (info.isDir()) {
            entry = "folder";
        } else {
            QFile content(file);
            const QByteArray hash =
                content.open(QIODevice::ReadOnly)
                    ? QCryptographicHash::hash(content.readAll(), QCryptographicHash::Sha1).toHex()
                    : QByteArray();
            entry = QStringLiteral("file %1 %2 %3")
                        .arg(info.size())
                        .arg(info.lastModified().toMSecsSinceEpoch())
                        .arg(QString::fromLatin1(hash));
        }
    }
    return entries;
}

} // namespace pelto::cli::test
