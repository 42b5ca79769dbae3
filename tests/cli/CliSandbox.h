#pragma once
// A sandbox for running the built pelto-cli: a temporary folder holding a copy of the program
// (so that its error log and its default profile file land beside the copy), its own home,
// configuration and runtime folders, and room for the trees under test.
#include <QByteArray>
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
    QString out;
    QString err;
};

// The blank ending every listed file or folder of a check report.
inline const QString kNbsp = QString(QChar(0x00A0));

// Standard error after the two lines that open the error log (its start time and the program's
// version).
inline QString logged(const CliResult& result) {
    return result.err.section(QLatin1Char('\n'), 2);
}

// Times (UTC seconds) the trees give their files.
inline constexpr qint64 kOlder = 1704067200; // 2024-01-01
inline constexpr qint64 kNewer = 1704153600; // 2024-01-02

class CliSandbox {
public:
    CliSandbox();

    bool isValid() const { return ready_; }
    QString path(const QString& relative) const; // "" is the sandbox itself

    // Runs the program copy with the arguments and waits for it to end.
    CliResult run(const QStringList& arguments) const;

    void makeFolder(const QString& relative) const;
    // Writes a file, making its folders, with the modification time (UTC seconds since 1970).
    void write(const QString& relative, const QByteArray& content, qint64 modified = kOlder) const;
    bool exists(const QString& relative) const;

    QString errorLog() const; // beside the program copy; "" when none was written
    QString setting(const QString& section, const QString& key) const;

    // A source tree "src" and a destination tree "dst" that differ in every way a check reports:
    // src/a.txt and src/Upper.TXT missing at the destination, src/b.txt newer, src/same.txt
    // as old, folder src/newdir missing, src/sub/c.txt missing in the matched folder sub,
    // dst/x.log and folder dst/old only at the destination.
    void buildMixedTree() const;

private:
    QTemporaryDir dir_;
    bool ready_ = false;
};

// A sandbox holding the trees of buildMixedTree(), "src" and "dst".
class MixedTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(box.isValid());
        box.buildMixedTree();
    }
    // Runs the program with the arguments followed by the two trees.
    CliResult run(const QStringList& arguments) const {
        return box.run(arguments + QStringList{src, dst});
    }

    CliSandbox box;
    const QString src = box.path("src");
    const QString dst = box.path("dst");
};

// Every entry below a folder: relative path -> "folder", or "file <size> <mtime> <sha1>", or
// "link <target>". Two snapshots are equal exactly when nothing in the tree changed.
QMap<QString, QString> snapshot(const QString& folder);

} // namespace pelto::cli::test
