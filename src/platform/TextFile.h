#pragma once
// The program's own text files (profile file, revision history, error log) as lines of text.
//
// Reading accepts CR LF or LF line ends and decodes the bytes as UTF-8 (a leading byte-order mark
// is dropped), or as Windows-1252 when they are not valid UTF-8, so files written by older
// programs in the Western code page still read correctly. Writing uses CR LF and UTF-8.

#include "platform/RuntimeError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pelto {

// The text of the bytes: UTF-8 when valid, otherwise Windows-1252.
QString decodeText(const QByteArray& bytes);
// The lines of a text; a line end at the very end does not start another line. Only a CR right
// before an LF belongs to the line end; other CRs stay in the line.
QStringList splitLines(const QString& text);

// The lines of a file. Throws RuntimeError: err::FileNotFound when it does not exist,
// err::PermissionDenied when it cannot be opened, err::PathFileAccessError when it is not a file or
// reading fails.
QStringList readTextLines(const QString& path);
// Writes the lines, each ending in CR LF, replacing the file. Throws RuntimeError as above.
void writeTextLines(const QString& path, const QStringList& lines);

} // namespace pelto
