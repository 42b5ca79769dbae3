// File comparison and list matching: CheckFiles lists the files of a folder pair into two sorted
// lists; CheckLists walks two sorted name lists side by side and writes the mismatch lines.

#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/CompareWalk.h"
#include "engine/compare/DisplayRefresh.h"
#include "engine/compare/Exclusions.h"
#include "engine/compare/FolderListing.h"
#include "engine/compare/MainForm.h"
#include "engine/compare/ProgramState.h"
#include "engine/compare/SortedList.h"
#include "platform/FileSystem.h"

#include <QDateTime>
#include <QSet>
#include <QStringBuilder>
#include <optional>

namespace pelto {

using diag::Procedure;
using diag::ProcedureScope;
using diag::traceParams;

namespace {

constexpr const char* kModule = "Pelto";

// The running numbers of the two sides; they count across the whole check.
struct RunningNumbers {
    qint32 src = 0;
    qint32 dst = 0;
};
RunningNumbers gNumbers;

const QLatin1StringView kUnmatched(" unmatched");
const QLatin1StringView kNewer(" newer");
const QLatin1StringView kArchive(" archive");

// Whole seconds since the epoch, rounded down, so that fractions of a second never make a file
// newer. Compared in universal time: local clock texts repeat an hour when summer time ends.
qint64 wholeSeconds(const QDateTime& t) {
    const qint64 ms = t.toMSecsSinceEpoch();
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

// The separator between the two folders of a source header. The copy finds NBSP "to" NBSP
// before " to ", so NBSP is used whenever a plain " to " could be taken from inside a path, and
// when the destination path itself holds the NBSP form.
QString headerSeparator(const QString& src, const QString& dst) {
    const QString plain = QStringLiteral(" to ");
    const QString nbsp = kNbsp % QLatin1StringView("to") % kNbsp;
    if (src.contains(plain) || dst.contains(plain) || dst.contains(nbsp))
        return nbsp;
    return plain;
}

QString joinPath(const QString& dir, const QString& name) {
    return dir.endsWith(PathSeparator()) ? dir + name : dir % PathSeparator() % name;
}

// One CheckLists walk over a folder pair.
class ListWalk {
public:
    ListWalk(ProcedureScope& proc, SortedList& src, SortedList& dst, const detail::ListPair& pair,
             MainForm& af)
        : proc_(proc), src_(src), dst_(dst), pair_(pair), af_(af), srcDir_(AddSlash(pair.asSource)),
          dstDir_(AddSlash(pair.asDest)) {}

    // False when the walk must stop.
    bool run() {
        const qint32 ns = src_.Count();
        const qint32 nd = dst_.Count();
        if (ns == 0 && nd == 0)
            return true;
        findCollisions(src_, ns);
        findCollisions(dst_, nd);

        qint32 i = 1;
        qint32 j = 1;
        while (i <= ns || j <= nd) {
            if (g().gbCancel)
                return true;
            RefreshDisplayIfDue(af_);
            const QString sk = i <= ns ? src_.Key(i) : QString();
            const QString dk = j <= nd ? dst_.Key(j) : QString();
            const int order = i > ns   ? 1
                              : j > nd ? -1
                                       : QString::compare(sk, dk, Qt::CaseSensitive);
            if (order < 0) {
                if (!skipCollision(true, i, sk) && !sourceUnmatched(i, sk))
                    return false;
                ++i;
            } else if (order > 0) {
                if (!skipCollision(false, j, dk))
                    destinationUnmatched(dk);
                ++j;
            } else {
                const bool collides = skipCollision(true, i, sk);
                if (collides)
                    skipCollision(false, j, dk);
                else if (!matched(i, j, sk, dk))
                    return false;
                ++i;
                ++j;
            }
        }
        return true;
    }

private:
    // Keys held by more than one entry of one side: names that differ only in letter case.
    void findCollisions(SortedList& list, qint32 n) {
        QString previous = n > 0 ? list.Key(1) : QString();
        for (qint32 k = 2; k <= n; ++k) {
            QString key = list.Key(k);
            if (key == previous)
                collisions_.insert(key);
            previous = std::move(key);
        }
    }

    // Leaves out an entry whose key collides, with a note naming it. True when it was left out.
    bool skipCollision(bool source, qint32 pos, const QString& key) {
        if (collisions_.isEmpty() || !collisions_.contains(key))
            return false;
        const QString path = diskPath(source, pos).value_or((source ? srcDir_ : dstDir_) + key);
        diag::LogError(QString::fromLatin1(kModule), QStringLiteral("CheckLists"),
                       QStringLiteral("\r\nSkipped, the folder holds another name that differs "
                                      "only in letter case: ") +
                           path,
                       false);
        return true;
    }

    // The entry's path as stored on disk, when the lists carry stored names.
    std::optional<QString> diskPath(bool source, qint32 pos) {
        const QString& dir = source ? pair_.srcDisk : pair_.dstDisk;
        if (!pair_.names || dir.isEmpty())
            return std::nullopt;
        const int value = (source ? src_ : dst_).Item(pos).toInt();
        if (value < 1 || value > pair_.names->size())
            return std::nullopt;
        return dir + pair_.names->at(value - 1);
    }

    QDateTime modifiedOf(bool source, qint32 pos, const QString& key) {
        if (const auto path = diskPath(source, pos))
            return g().goFSO->LastModifiedOf(*path);
        return g().goFSO->GetFile((source ? srcDir_ : dstDir_) + key).DateLastModified();
    }

    bool hasArchiveBit(qint32 pos, const QString& key) {
        const int attributes = [&] {
            if (const auto path = diskPath(true, pos))
                return g().goFSO->AttributesOf(*path);
            return g().goFSO->GetFile(srcDir_ + key).Attributes();
        }();
        return (attributes & attr::Archive) != 0;
    }

    void writeSourceHeader() {
        if (srcHeader_)
            return;
        srcHeader_ = true;
        af_.lstSrcFile().add(QLatin1StringView("Dir: ") % pair_.asSource %
                             headerSeparator(pair_.asSource, pair_.asDest) % pair_.asDest);
    }

    void writeDestinationHeader() {
        if (dstHeader_)
            return;
        dstHeader_ = true;
        af_.lstDstFile().add(QLatin1StringView("Dir: ") % pair_.asDest);
    }

    void writeSourceFile(const QString& name, QLatin1StringView tag) {
        const qint32 n = ++gNumbers.src;
        af_.lstSrcFile().add(QString::number(n) % QLatin1StringView(": ") % name % tag % kNbsp);
    }

    bool sourceUnmatched(qint32 i, const QString& sk) {
        if (!pair_.fileMode) {
            const qint32 n = ++gNumbers.src;
            af_.lstSrcFolder2().add(pair_.asSource);
            af_.lstDstFolder2().add(pair_.asDest);
            af_.lstSrcFolder().add(QString::number(n) % QLatin1StringView(": ") % pair_.asSource %
                                   sk % kUnmatched % kNbsp % QLatin1StringView(" to ") %
                                   pair_.asDest);
            return true;
        }
        writeSourceHeader();
        if (!g().gbArchive) {
            writeSourceFile(sk, kUnmatched);
            return true;
        }
        bool archive = false;
        PELTO_TRY(proc_, false, archive = hasArchiveBit(i, sk));
        if (archive)
            writeSourceFile(sk, kArchive);
        return true;
    }

    void destinationUnmatched(const QString& dk) {
        const qint32 n = ++gNumbers.dst;
        if (pair_.fileMode) {
            writeDestinationHeader();
            af_.lstDstFile().add(QString::number(n) % QLatin1StringView(": ") % dk % kUnmatched %
                                 kNbsp);
        } else {
            af_.lstDstFolder().add(QString::number(n) % QLatin1StringView(": ") % pair_.asDest %
                                   dk % kUnmatched % kNbsp);
        }
    }

    bool matched(qint32 i, qint32 j, const QString& sk, const QString& dk) {
        if (!pair_.fileMode)
            return enterFolder(i, j, sk, dk);
        if (g().gbArchive) {
            bool archive = false;
            PELTO_TRY(proc_, false, archive = hasArchiveBit(i, sk));
            if (archive) {
                writeSourceHeader();
                writeSourceFile(sk, kArchive);
            }
            return true;
        }
        bool newer = false;
        PELTO_TRY(proc_, false, {
            const qint64 dstTime = wholeSeconds(modifiedOf(false, j, dk));
            newer = wholeSeconds(modifiedOf(true, i, sk)) > dstTime;
        });
        if (newer) {
            writeSourceHeader();
            writeSourceFile(sk, kNewer);
        }
        return true;
    }

    bool enterFolder(qint32 i, qint32 j, const QString& sk, const QString& dk) {
        if (af_.optRecurse()) {
            ShowDirs(af_, pair_.asSource, sk);
            const QString srcDisk = diskPath(true, i).value_or(QString());
            const QString dstDisk = diskPath(false, j).value_or(QString());
            return detail::CheckFoldersAt(pair_.asSource + sk, pair_.asDest + dk, srcDisk, dstDisk,
                                          af_, false, false);
        }
        // Recursion was switched off during the walk: mark the folder pair once and go on.
        if (!srcHeader_) {
            writeSourceHeader();
            ShowDirs(af_, pair_.asSource, sk);
        }
        return true;
    }

    ProcedureScope& proc_;
    SortedList& src_;
    SortedList& dst_;
    const detail::ListPair& pair_;
    MainForm& af_;
    const QString srcDir_;
    const QString dstDir_;
    QSet<QString> collisions_;
    bool srcHeader_ = false;
    bool dstHeader_ = false;
};

// Adds the files of one side to its list, leaving out excluded ones with a note.
void addFiles(const QStringList& files, const QString& folderPath, bool exclude, bool source,
              SortedList& list, QStringList& names) {
    for (const QString& name : files) {
        QString lower = name.toLower();
        if (exclude && FileExcluded(lower)) {
            diag::LogError(QString::fromLatin1(kModule), QStringLiteral("CheckFiles"),
                           (source ? QStringLiteral("Source file excluded: ")
                                   : QStringLiteral("Destination file excluded: ")) +
                               joinPath(folderPath, lower),
                           false);
            continue;
        }
        names.append(name);
        ++(source ? g().glSrcFiles : g().glDstFiles);
        list.Add(static_cast<int>(names.size()), lower);
    }
}

} // namespace

namespace detail {

bool CheckListsImpl(SortedList* aoSrcLst, SortedList* aoDstLst, const ListPair& pair, MainForm& af,
                    bool abResetCounts) {
    Procedure proc(kModule, "Function CheckLists", [&] {
        return traceParams("aoSrcLst", "<SortedList>", "aoDstLst", "<SortedList>", "asFileOrDir",
                           pair.fileMode ? "file" : "folder", "asSource", pair.asSource, "asDest",
                           pair.asDest, "af", "<Form>", "abResetCounts", "<Boolean = False>");
    });
    if (abResetCounts) {
        gNumbers = RunningNumbers();
        return true;
    }
    SortedList noSource;
    SortedList noDestination;
    ListWalk walk(proc, aoSrcLst ? *aoSrcLst : noSource, aoDstLst ? *aoDstLst : noDestination, pair,
                  af);
    return walk.run();
}

bool CheckFilesAt(const QString& srcPath, const QString& dstPath, const QStringList* srcFiles,
                  const QStringList* dstFiles, MainForm& af, bool bbFirstCall) {
    Procedure proc(kModule, "Function CheckFiles", [&] {
        return traceParams("aoSrcFolder", "<Folder>", "aoDstFolder", "<Folder>", "af", "<Form>",
                           "bbFirstCall", "<Boolean = False>");
    });
    const bool archive = g().gbArchive;
    FolderEntries ownSrc;
    FolderEntries ownDst;
    const auto listOwn = [&](const QString& path, FolderEntries& own, const QStringList*& files) {
        const ListOutcome outcome = ListFolderEntries(proc, path, own);
        if (outcome == ListOutcome::Stop)
            g().gbErrorFlag = true;
        files = &own.files;
        return outcome;
    };
    if (!srcFiles) {
        const ListOutcome outcome = listOwn(srcPath, ownSrc, srcFiles);
        if (outcome != ListOutcome::Listed)
            return outcome == ListOutcome::Skipped;
    }
    if (!archive && !dstFiles) {
        const ListOutcome outcome = listOwn(dstPath, ownDst, dstFiles);
        if (outcome != ListOutcome::Listed)
            return outcome == ListOutcome::Skipped;
    }

    SortedList srcList;
    SortedList dstList;
    const bool exclude = CheckExcludeSubdir(bbFirstCall);
    QStringList names;
    names.reserve(srcFiles->size() + (dstFiles && !archive ? dstFiles->size() : 0));
    addFiles(*srcFiles, srcPath, exclude, true, srcList, names);
    if (!archive)
        addFiles(*dstFiles, dstPath, exclude, false, dstList, names);

    const ListPair pair{true, srcPath, dstPath, AddSlash(srcPath), AddSlash(dstPath), &names};
    const bool result = CheckListsImpl(&srcList, &dstList, pair, af, false);
    if (g().gbCancel)
        return true;
    return result;
}

} // namespace detail

bool CheckFiles(const Folder& aoSrcFolder, const Folder& aoDstFolder, MainForm& af,
                bool bbFirstCall) {
    return detail::CheckFilesAt(aoSrcFolder.Path(), aoDstFolder.Path(), nullptr, nullptr, af,
                                bbFirstCall);
}

bool CheckLists(SortedList* aoSrcLst, SortedList* aoDstLst, const QString& asFileOrDir,
                const QString& asSource, const QString& asDest, MainForm& af, bool abResetCounts) {
    detail::ListPair pair;
    pair.fileMode = asFileOrDir.compare(QLatin1StringView("file"), Qt::CaseInsensitive) == 0;
    pair.asSource = asSource;
    pair.asDest = asDest;
    return detail::CheckListsImpl(aoSrcLst, aoDstLst, pair, af, abResetCounts);
}

} // namespace pelto
