#pragma once
// Path texts of the file-system service: absolute, '/'-separated, no trailing separator except
// for the root.

#include <QByteArray>
#include <QString>

namespace pelto::fspath {

// Absolute (against the current folder), cleaned ("a//b/./c/" -> "a/b/c"), "" stays "".
QString normalize(const QString& path);
// The folder part of a normalized path ("/a/b" -> "/a", "/a" -> "/", "/" -> "").
QString parentOf(const QString& path);
// The last component ("/a/b" -> "b", "/" -> "").
QString nameOf(const QString& path);
// Joins a folder and a name without doubling the root's separator.
QString join(const QString& folder, const QString& name);
// True when `path` is `folder` or lies below it.
bool isWithin(const QString& path, const QString& folder);
// The bytes the system calls take: UTF-8, with each byte that fromNative could not decode
// written back as it was.
QByteArray native(const QString& path);
// The same for one name, written into a buffer the caller reuses; returns it as a C string.
const char* nativeName(QStringView name, QByteArray& buffer);
// A name as stored, decoded from the bytes the system gave: valid UTF-8 as such, and each other
// byte b (0x80..0xFF) as the lone surrogate U+DC00 + b, so that native() gives the same bytes
// back. Such a name is displayed with replacement characters, but never loses its identity.
QString fromNative(const char* name);
// The text lower-cased exactly as QString::toLower does it, without its tables for plain ASCII
// (a text with nothing to lower comes back shared); the codes of undecodable bytes stay as they
// are, where QString::toLower would make them all U+FFFD.
QString lowerCase(const QString& text);

} // namespace pelto::fspath
