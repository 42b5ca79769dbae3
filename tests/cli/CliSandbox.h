#pragma once
// A sandbox for running the built pelto-cli: a temporary folder holding a copy of the program
// (so that its error log and its default profile file land in the sandbox, beside the copy),
// its own home, configuration and runtime folders, and room for the trees under test.

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace pelto::cli::test {

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

class CliSandbox {
public:
    CliSandbox();

    bool isValid() const { return ready_; }
    QString root() const { return dir_.path(); }
    // A path below the sandbox.
    QString path(const QString& relative) const;
    // The folder the program copy runs from.
    QString programFolder() const { return path(QStringLiteral("bin")); }

    // Runs the program copy with the arguments; waits for it to end.
    CliResult run(const QStringList& arguments) const;

    void makeFolder(const QString& relative) const;
    // Writes a file (making its folders) with the given modification time (UTC seconds since
    // 1970; 0 keeps the time of writing).
    void write(const QString& relative, const QByteArray& content, qint64 modified = 0) const;
    bool exists(const QString& relative) const;

    // The error log beside the program copy ("" when none was written).
    QString errorLog() const;
    // A value of the settings store the program uses in this sandbox.
    QString setting(const QString& section, const QString& key) const;

private:
    QTemporaryDir dir_;
    bool ready_ = false;
};

// Every entry below a folder: relative path -> "folder", or "file <size> <mtime> <sha1>", or
// "link <target>". Two snapshots are equal exactly when nothing in the tree changed.
QMap<QString, QString> snapshot(const QString& folder);

} // namespace pelto::cli::test
