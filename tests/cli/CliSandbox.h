#pragma once
// A temporary folder holding a copy of the built pelto-cli (its error log and default profile
// file land beside it), its own home, configuration and runtime folders, and the trees under test.
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace pelto::cli::test {

struct CliResult {
    int exitCode = -1;
    QString out, err;
};

inline const QString kNbsp = QString(QChar(0x00A0)); // ends every listed entry of a report
inline constexpr qint64 kOlder = 1704067200, kNewer = 1704153600; // file times, UTC seconds

// Standard error after the two lines opening the error log (start time and version).
inline QString logged(const CliResult& result) {
    return result.err.section('\n', 2);
}

class CliSandbox {
public:
    CliSandbox();
    bool isValid() const { return ready_; }
    QString path(const QString& relative) const { return dir_.filePath(relative); }
    CliResult run(const QStringList& arguments) const;
    void write(const QString& relative, const QByteArray& content, qint64 modified = kOlder) const;
    void makeFolder(const QString& relative) const;
    QString errorLog() const; // "" when none was written

private:
    QTemporaryDir dir_;
    bool ready_ = false;
};

// "src" and "dst" differing in every way a check reports: files and a folder missing at either
// side, a newer file, a file missing in a matched folder.
class MixedTreeTest : public ::testing::Test {
protected:
    void SetUp() override;
    CliResult run(const QStringList& args) const { return box.run(args + QStringList{src, dst}); }

    CliSandbox box;
    const QString src = box.path("src"), dst = box.path("dst");
};

// Relative path -> "folder", "file <size> <mtime> <sha1>" or "link <target>", for every entry.
QMap<QString, QString> snapshot(const QString& folder);

} // namespace pelto::cli::test
