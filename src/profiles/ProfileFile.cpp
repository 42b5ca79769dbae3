#include "profiles/ProfileFile.h"

#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/compare/Exclusions.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramPaths.h"
#include "platform/ProgramState.h"
#include "platform/TextFile.h"
#include "profiles/ProfileHistory.h"
#include "profiles/ProfileLine.h"
#include "profiles/ProfileTables.h"

#include <QDir>
#include <QFileInfo>
#include <limits>

namespace pelto {

using diag::Answer;
using diag::LogError;
using diag::Procedure;

namespace {

constexpr auto kModule = "Pelto";
const QString kLogProc = QStringLiteral("Function ReadINI");
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kMaxCount = std::numeric_limits<qint16>::max();

QString& rememberedName() {
    static QString name;
    return name;
}

enum class Mode { Load, Reload, Section };

bool isComment(const QString& line) {
    return line.startsWith(u';');
}

bool isIgnored(const QString& line) {
    return line.isEmpty() || line.startsWith(u' ');
}

// A section header: after trimming blanks, "[" first and "]" last.
bool isHeader(const QString& trimmed) {
    return trimmed.startsWith(u'[') && trimmed.endsWith(u']');
}

// A line that has only one of the two brackets of a header. A profile line whose path ends in
// "]" (a folder named "Music [old]") is not one.
bool isMalformedHeader(const QString& line, const QString& trimmed) {
    if (isComment(line) || startsLikeProfileLine(line, nativePathSyntax()))
        return false;
    return trimmed.startsWith(u'[') != trimmed.endsWith(u']');
}

bool notFound(const RuntimeError& e) {
    return e.number() == err::PathNotFound || e.number() == err::FileNotFound;
}

[[noreturn]] void overflow() {
    throw RuntimeError(err::Overflow, QStringLiteral("Overflow"));
}

// One call of ReadINI: the steps share the procedure's trap and stop the reading on the first
// failure, setting the error flag.
class IniReader {
public:
    IniReader(const diag::ProcedureScope& proc, Mode mode, QString section, ProfileForm& af)
        : proc_(proc), trap_(proc.trap()), mode_(mode), section_(std::move(section)), af_(af) {}

    bool run(const QString& asFname) {
        QString path;
        bool exists = false;
        if (!trap_([&] {
                if (mode_ == Mode::Load)
                    rememberedName() =
                        asFname.isEmpty() ? QString::fromLatin1(kProfileFileName) : asFname;
                path = profileFilePath();
                exists = QFileInfo(path).isFile();
            }))
            return fail();

        if (mode_ == Mode::Section) {
            // A profile read never leaves the previous profile's lines in force.
            if (!trap_([&] {
                    profile::newProfileTables();
                    af_.lstProfile().clear();
                }))
                return fail();
        }
        if (!exists) {
            if (mode_ != Mode::Section)
                return true;
            LogError(kModule, kLogProc, QStringLiteral("INI file not found: ") + path);
            return fail();
        }

        QStringList lines;
        if (!trap_([&] { lines = readTextLines(path); }))
            return fail();

        if (mode_ == Mode::Section)
            return readSection(lines);
        return loadMenu(lines);
    }

private:
    bool fail() {
        g().gbErrorFlag = true;
        return false;
    }

    void badLine(const QString& what, const QString& line) {
        LogError(kModule, kLogProc, QStringLiteral("Bad line in INI file: ") + what + line);
    }

    bool noSections() {
        LogError(kModule, kLogProc,
                 QStringLiteral("Bad INI file: ") +
                     QStringLiteral("No INI sections found - probably missing [] characters"));
        return fail();
    }

    bool loadMenu(const QStringList& lines) {
        ProfileMenuModel& menu = af_.mnuProfile();
        if (mode_ == Mode::Reload) {
            if (!trap_([&] {
                    for (int k = menu.UBound(); k >= 1; --k)
                        menu.removeEntry(k);
                    g().giProfileCount = 0;
                }))
                return fail();
        }
        const bool numbered = af_.chkNumberProfiles();
        for (const QString& line : lines) {
            const QString trimmed = trimBlanks(line);
            if (isHeader(trimmed)) {
                if (!trap_([&] {
                        if (g().giProfileCount >= kMaxCount)
                            overflow();
                        const int count = ++g().giProfileCount;
                        const int entry = menu.addEntry();
                        menu.setCaption(entry,
                                        ProfileMenuModel::entryCaption(
                                            count, trimmed.mid(1, trimmed.size() - 2), numbered));
                        menu.setVisible(entry, true);
                    }))
                    return fail();
            } else if (isMalformedHeader(line, trimmed)) {
                LogError(kModule, kLogProc,
                         QStringLiteral("Bad line in INI file, ") +
                             QStringLiteral("Record being skipped:") + kCrLf + line);
            }
        }
        if (g().giProfileCount == 0)
            return noSections();
        return true;
    }

    bool readSection(const QStringList& lines) {
        const QString header = QStringLiteral("[") + section_ + QStringLiteral("]");
        bool anyHeader = false;
        qsizetype at = 0;
        for (; at < lines.size(); ++at) {
            const QString trimmed = trimBlanks(lines[at]);
            anyHeader = anyHeader || isHeader(trimmed);
            if (trimmed == header)
                break;
        }
        if (at == lines.size()) {
            if (!anyHeader)
                return noSections();
            LogError(kModule, kLogProc,
                     QStringLiteral("Bad INI file: ") +
                         QStringLiteral("Profile section not found: ") + header);
            return fail();
        }
        af_.setCaption(header);

        qint16 n = 0;
        for (++at; at < lines.size(); ++at) {
            const QString& raw = lines[at];
            if (isComment(raw))
                continue;
            // An indented header ends the section too: the menu shows it as a profile of its own.
            if (isHeader(trimBlanks(raw)))
                break;
            if (isIgnored(raw))
                continue;
            if (n >= kMaxCount) {
                if (!trap_([] { overflow(); }))
                    return fail();
                break;
            }
            ++n;
            if (!readLine(raw, n))
                return fail();
        }

        const auto stored = trap_([&] { return StoreProfiles(section_, n); });
        if (!stored)
            return fail();
        return stored.valueOr(false);
    }

    // Reads profile line n; false when the reading must stop.
    bool readLine(const QString& raw, qint16 n) {
        const PathSyntax syntax = nativePathSyntax();
        const ProfileLineParts parts = parseProfileLine(raw, syntax);
        TextTable& table = g().gasProfile;
        if (!trap_([&] {
                profile::growProfileTable(n);
                table.set(profile::kLine, n, parts.line);
            }))
            return false;

        switch (parts.error) {
        case ProfileLineError::Column:
            badLine(columnErrorText(syntax), parts.line);
            return false;
        case ProfileLineError::NoDestination:
            badLine(QStringLiteral("Destination drive not found"), parts.line);
            return false;
        case ProfileLineError::None:
            break;
        }

        if (!trap_([&] { table.set(profile::kSource, n, parts.source); }))
            return false;
        if (!openSource(parts.source))
            return false;

        if (!trap_([&] {
                table.set(profile::kExcludes, n, parts.excludes);
                // A bad exclusion is reported there and sets the error flag; the rest of the
                // profile is still read so that every bad line gets its message.
                ValidateExcludes(n, false);
                table.set(profile::kSubdirs, n, subdirsColumn(parts.subdirs));
                table.set(profile::kDestination, n, parts.destination);
            }))
            return false;
        if (!openDestination(parts.destination))
            return false;

        return static_cast<bool>(trap_([&] {
            af_.lstProfile().add(ProfileListModel::lineFor(
                parts.source, subdirsColumn(parts.subdirs), parts.destination, parts.excludes));
        }));
    }

    // A line's folders are taken exactly as written: one whose name differs only in letter case
    // does not stand in for them.
    bool openSource(const QString& source) {
        const auto trap = proc_.trap([&](const RuntimeError& e) {
            if (!notFound(e))
                return Answer::None;
            LogError(kModule, kLogProc, QStringLiteral("Source directory not found:") + source);
            return Answer::Abort;
        });
        return static_cast<bool>(trap([&] { fileSystem().GetFolderExactly(source); }));
    }

    bool openDestination(const QString& destination) {
        // A missing destination the user lets create is passed over here and made below.
        bool create = false;
        const auto trap = proc_.trap([&](const RuntimeError& e) {
            if (!notFound(e))
                return Answer::None;
            LogError(kModule, kLogProc,
                     QStringLiteral("Destination directory not found:") + destination, false);
            create = dialogs().yesNo(QStringLiteral("Destination directory not found:") + kCrLf +
                                         destination + kCrLf +
                                         QStringLiteral("Would you like to create the directory?"),
                                     QStringLiteral("ReadINI error"), BoxIcon::Critical);
            return create ? Answer::Ignore : Answer::Abort;
        });
        if (!trap([&] { fileSystem().GetFolderExactly(destination); }))
            return false;
        if (!create)
            return true;
        return static_cast<bool>(trap_([&] {
            QString path = destination;
            af_.CreateNewFolder(path);
        }));
    }

    static FileSystem& fileSystem() {
        if (g().goFSO == nullptr)
            throw RuntimeError(err::ObjectNotSet,
                               QStringLiteral("Object variable or With block variable not set"));
        return *g().goFSO;
    }

    const diag::ProcedureScope& proc_;
    const diag::Trap<> trap_;
    Mode mode_;
    QString section_;
    ProfileForm& af_;
};

bool readIni(Mode mode, const QString& asProcess, ProfileForm& af, const QString& asFname) {
    Procedure proc(kModule, "Function ReadINI", [&] {
        return diag::traceParams("asProcess", asProcess, "af", "frmPelto", "asFname", asFname);
    });
    IniReader reader(proc, mode, asProcess, af);
    return reader.run(asFname);
}

} // namespace

void FixAppPath(QString& asMyPath) {
    Procedure proc(kModule, "Sub FixAppPath",
                   [&] { return diag::traceParams("asMyPath", asMyPath); });
    const auto trap = proc.trap();
    trap([&] { asMyPath = programFolder(); });
}

bool ReadINI(const QString& asProcess, ProfileForm& af, const QString& asFname) {
    if (asProcess == QLatin1StringView("Load"))
        return readIni(Mode::Load, asProcess, af, asFname);
    if (asProcess == QLatin1StringView("Reload"))
        return readIni(Mode::Reload, asProcess, af, asFname);
    return readIni(Mode::Section, asProcess, af, asFname);
}

bool ReadProfile(const QString& asSection, ProfileForm& af) {
    return readIni(Mode::Section, asSection, af, QString());
}

QString profileFilePath() {
    const QString name =
        rememberedName().isEmpty() ? QString::fromLatin1(kProfileFileName) : rememberedName();
    if (QDir::isAbsolutePath(name))
        return QDir::toNativeSeparators(name);
    QString folder;
    FixAppPath(folder);
    if (name == QLatin1StringView(kDeveloperProfileFileName))
        folder = developerFolder();
    return folder + name;
}

void resetProfileFile() {
    rememberedName().clear();
}

namespace {
const StateReset kResetProfileFile{&resetProfileFile};
} // namespace

} // namespace pelto
