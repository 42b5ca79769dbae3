// The program's text files: UTF-8 or Windows-1252 bytes, LF or CR LF line ends, written CR LF.
#include "FsTestTree.h"

#include "platform/TextFile.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace pelto::test {
namespace {

TEST(TextFileText, Utf8WinsOtherBytesReadAsWindows1252CrLfAndLfEndLines) {
    EXPECT_EQ(decodeText("caf\xc3\xa9 \xe2\x82\xac"), u"caf\u00e9 \u20ac"_s);
    EXPECT_EQ(decodeText("\xef\xbb\xbf[B\xc3\xbcro]"), u"[B\u00fcro]"_s);
    EXPECT_EQ(decodeText(QByteArray()), QString());
    // One stray byte decides for the whole file, so all its characters read alike.
    EXPECT_EQ(decodeText("caf\xe9 \x80 \x93q\x94 \xc3\xa9"),
              u"caf\u00e9 \u20ac \u201cq\u201d \u00c3\u00a9"_s);
    // The codes Windows-1252 leaves undefined keep their value.
    EXPECT_EQ(decodeText("\x81\x8d\x8f\x90\x9d\xff"), u"\u0081\u008d\u008f\u0090\u009d\u00ff"_s);
    // CR LF and LF end lines; other CRs stay.
    const std::pair<QString, QStringList> cases[] = {
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\r\r\nb\rc", {"a\r", "b\rc"}},
        {"", {}},
        {"\n", {""}},
    };
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(splitLines(text), lines) << text.toStdString();
}

TEST(TextFileIo, WritesCrLfUtf8ReadsItBackAndFailuresCarryTheirNumbers) {
    FsTestTree tree;
    const QStringList lines{u"[B\u00fcro]"_s, QString(), "/a /b"};
    writeTextLines(tree.path("t.txt"), lines);
    EXPECT_EQ(tree.read("t.txt"), QByteArray("[B\xc3\xbcro]\r\n\r\n/a /b\r\n"));
    EXPECT_EQ(readTextLines(tree.path("t.txt")), lines);

    EXPECT_EQ(errorOf([&] { readTextLines(tree.path("none")); }), err::FileNotFound);
    EXPECT_EQ(errorOf([&] { readTextLines(tree.root()); }), err::PathFileAccessError);
    EXPECT_EQ(errorOf([&] { writeTextLines(tree.path("no/such/f"), {}); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { writeTextLines(tree.root(), {}); }), err::PathFileAccessError);
}

} // namespace
} // namespace pelto::test
