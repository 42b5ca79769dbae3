#include "CliSandbox.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace pelto::cli::test {

CliSandbox::CliSandbox() {
    for (const char* folder : {"bin", "home", "config", "runtime"})
        makeFolder(folder);
    // A hard link where the file system allows it, so that a sandbox costs no copy.
    const QString program = QStringLiteral(PELTO_CLI_PROGRAM), copy = path("bin/pelto-cli");
    ready_ = dir_.isValid() && (::link(QFile::encodeName(program).constData(),
                                       QFile::encodeName(copy).constData()) == 0 ||
                                QFile::copy(program, copy));
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
    const bool ended = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void CliSandbox::makeFolder(const QString& relative) const {
    QDir().mkpath(path(relative));
}

void CliSandbox::write(const QString& relative, const QByteArray& content, qint64 modified) const {
    makeFolder(QFileInfo(relative).path());
    QFile out(path(relative));
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
        ADD_FAILURE() << "cannot write " << relative.toStdString();
    out.flush(); // or closing would stamp the file with the time of closing
    out.setFileTime(QDateTime::fromSecsSinceEpoch(modified, Qt::UTC),
                    QFileDevice::FileModificationTime);
}

QString CliSandbox::errorLog() const {
    QFile log(path("bin/Error Log.txt"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

void MixedTreeTest::SetUp() {
    ASSERT_TRUE(box.isValid());
    for (const char* file : {"src/a.txt", "src/same.txt", "dst/same.txt", "src/Upper.TXT",
                             "src/newdir/n.txt", "src/sub/c.txt", "dst/x.log", "dst/old/o.txt"})
        box.write(file, "x");
    box.write("src/b.txt", "b new", kNewer);
    box.write("dst/b.txt", "b");
    box.makeFolder("dst/sub");
}

QMap<QString, QString> snapshot(const QString& folder) {
    QMap<QString, QString> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QFile file(info.filePath());
        QString& entry = entries[QDir(folder).relativeFilePath(info.filePath())];
        if (info.isSymLink())
            entry = "link " + info.symLinkTarget();
        else if (info.isDir())
            entry = "folder";
        else if (file.open(QIODevice::ReadOnly))
            entry =
                QStringLiteral("file %1 %2 %3")
                    .arg(info.size())
                    .arg(info.lastModified().toMSecsSinceEpoch())
                    .arg(
                        QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex());
    }
    return entries;
}

} // namespace pelto::cli::test
