#pragma once
// The usage history of profiles in the settings store, and the record of folders created while
// copying under a profile.
//
// Section "Settings", key "NumProfiles": the number of history entries. Section "Profile" + the
// entry number (two digits at least): "Description" (the profile's name), "LinesUsed",
// "Line01".. (the profile's lines as read), "TimesUsed" (completed copies since the lines last
// changed) and "LastUsed" (yyyy/mm/dd with the system's date separator).

#include <QDate>
#include <QLocale>
#include <QString>
#include <functional>

namespace pelto {

// Records that profile asProfileDesc was read with aiMaxLines lines (field 1 of g().gasProfile).
// An entry whose lines are unchanged only gets a new "LastUsed"; a new profile, or one whose
// lines changed, were removed or were added, is written afresh with "TimesUsed" "0". Sets
// g().giProfileEntry and leaves that entry's section current in g().goReg. Returns false after
// an error was reported (g().gbErrorFlag is then set).
bool StoreProfiles(const QString& asProfileDesc, qint16 aiMaxLines);

// Appends a folder created under the chosen profile to g().gasFolderProfile, with the profile
// line it belongs to (g().giProfileLine). Returns false after an error was reported.
bool StoreFolderProfile(const QString& asPath);

// The date separator of a locale's short date format ("/" when it has none).
QString dateSeparatorOf(const QLocale& locale);
// "yyyy/mm/dd" with the given separator.
QString lastUsedText(const QDate& date, const QString& separator);

// Where "today" comes from; tests fix the date. An empty function restores the system date.
void setHistoryDateSource(std::function<QDate()> today);

} // namespace pelto
