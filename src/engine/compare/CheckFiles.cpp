// File comparison and list matching: CheckFiles lists the files of a folder pair into two sorted
// lists; CheckLists walks two sorted name lists side by side and writes the mismatch lines.

#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/compare/Compare.h"
#include "engine/compare/CompareWalk.h"
#include "engine/compare/DisplayRefresh.h"
#include "engine/compare/Exclusions.h"
#include "engine/compare/FolderListing.h"
#include "engine/compare/KeyOrder.h"
#include "engine/compare/MainForm.h"
#include "engine/compare/SortedList.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QStringBuilder>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

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
const StateReset kResetNumbers{[] { gNumbers = RunningNumbers{}; }};

const QLatin1StringView kUnmatched(" unmatched");
const QLatin1StringView kNewer(" newer");
const QLatin1StringView kArchive(" archive");

// Whole seconds since the epoch, rounded down, so that fractions of a second never make a file
// newer. Compared in universal time: local clock texts repeat an hour when summer time ends.
qint64 wholeSeconds(qint64 ms) {
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
    ListWalk(const ProcedureScope& proc, SortedList& src, SortedList& dst,
             const detail::ListPair& pair, MainForm& af)
        : trap_(proc.trap()), pair_(pair), af_(af),
          src_(src, AddSlash(pair.asSource), pair.srcDisk, pair.names, pair.times),
          dst_(dst, AddSlash(pair.asDest), pair.dstDisk, pair.names, pair.times) {}

    // False when the walk must stop.
    bool run() {
        src_.load();
        dst_.load();
        const qint32 ns = src_.count();
        const qint32 nd = dst_.count();
        if (ns == 0 && nd == 0)
            return true;
        findCollisions(src_);
        findCollisions(dst_);
        for (const QSet<QString>* twins : {pair_.srcTwins, pair_.dstTwins}) {
            if (twins && !twins->isEmpty())
                collisions_.unite(*twins);
        }
        if (pair_.fileMode && !g().gbArchive)
            prefetchTimes();

        qint32 i = 1;
        qint32 j = 1;
        while (i <= ns || j <= nd) {
            if (g().gbCancel)
                return true;
            RefreshDisplayIfDue(af_);
            const QString& sk = src_.key(i);
            const QString& dk = dst_.key(j);
            const int order = i > ns ? 1 : j > nd ? -1 : detail::compareKeys(sk, dk);
            if (!collisions_.isEmpty() && collisions_.contains(order <= 0 ? sk : dk)) {
                if (!walkTwins(i, j, order))
                    return false;
            } else if (order < 0) {
                if (!sourceUnmatched(i, sk))
                    return false;
                ++i;
            } else if (order > 0) {
                destinationUnmatched(j, dk);
                ++j;
            } else {
                if (!matched(i, j, sk, dk))
                    return false;
                ++i;
                ++j;
            }
        }
        return true;
    }

private:
    // One side's sorted list, read in place: the keys and the stored names by 1-based position.
    struct Side {
        Side(SortedList& list, const QString& shownDir, const QString& diskDir,
             const detail::StoredNames* names, const detail::StoredTimes* aheadTimes)
            : list(list), shownDir(shownDir), diskDir(diskDir), names(names),
              aheadTimes(aheadTimes) {}

        void load() {
            n = list.Count();
            // While the trace is on, the walk's reads of every position show in it (the first
            // read sorts); otherwise the list is sorted and read in place without them.
            if (diag::TraceActive()) {
                for (qint32 p = 1; p <= n; ++p) {
                    list.Key(p);
                    list.Item(p);
                }
            } else {
                list.Sort();
            }
            sorted = list.sortedCount();
            times.assign(static_cast<size_t>(n), std::nullopt);
        }
        qint32 count() const { return n; }
        // The key at a position; empty text outside the sorted list.
        const QString& key(qint32 p) const {
            static const QString none;
            return p >= 1 && p <= sorted ? list.sortedKey(p) : none;
        }
        // The stored name of the entry at a position, when the list carries stored names.
        const QString* storedName(qint32 p) const {
            if (!names || diskDir.isEmpty() || p < 1 || p > sorted)
                return nullptr;
            const qint32 value = list.sortedNumber(p);
            if (value < 1 || static_cast<size_t>(value) > names->size())
                return nullptr;
            const QString* name = (*names)[static_cast<size_t>(value - 1)];
            return name->isEmpty() ? nullptr : name;
        }
        // Copies the time read ahead for the entry at a position into `times`; false when there
        // is none.
        bool takeTimeAhead(qint32 p) {
            if (!aheadTimes)
                return false;
            const qint32 value = list.sortedNumber(p);
            if (value < 1 || static_cast<size_t>(value) > aheadTimes->size())
                return false;
            const std::optional<qint64>& time = (*aheadTimes)[static_cast<size_t>(value - 1)];
            if (!time)
                return false;
            times[static_cast<size_t>(p - 1)] = time;
            return true;
        }
        // The entry's path as stored on disk, when the list carries stored names.
        std::optional<QString> diskPath(qint32 p) const {
            if (const QString* name = storedName(p))
                return diskDir + *name;
            return std::nullopt;
        }
        // The entry's path for messages and case-blind lookups.
        QString anyPath(qint32 p) const { return diskPath(p).value_or(shownDir + key(p)); }

        SortedList& list;
        const QString shownDir;
        const QString& diskDir;
        const detail::StoredNames* names;
        const detail::StoredTimes* aheadTimes;
        qint32 n = 0;      // the list's count
        qint32 sorted = 0; // positions that hold a sorted pair (all of them, unless sorting failed)
        std::vector<std::optional<qint64>> times; // modification times read ahead, by position - 1
    };

    // Keys held by more than one entry of one side: names that differ only in letter case.
    void findCollisions(const Side& side) {
        for (qint32 p = 2; p <= side.count(); ++p) {
            if (detail::compareKeys(side.key(p), side.key(p - 1)) == 0)
                collisions_.insert(side.key(p));
        }
    }

    // Reads the times of the files present on both sides in one call per folder, relative to
    // the folder, instead of a full path lookup per file. A file the read-ahead misses is asked
    // for again at its turn, where its error goes to the failure report.
    void prefetchTimes() {
        if (src_.diskDir.isEmpty() || dst_.diskDir.isEmpty())
            return;
        const qsizetype most = std::min(src_.count(), dst_.count());
        std::vector<qint32> srcPos, dstPos;
        srcPos.reserve(static_cast<size_t>(most));
        dstPos.reserve(static_cast<size_t>(most));
        QStringList srcNames, dstNames;
        srcNames.reserve(most);
        dstNames.reserve(most);
        for (qint32 i = 1, j = 1; i <= src_.count() && j <= dst_.count();) {
            const int order = detail::compareKeys(src_.key(i), dst_.key(j));
            if (order == 0 && (collisions_.isEmpty() || !collisions_.contains(src_.key(i)))) {
                const QString* srcName = src_.storedName(i);
                const QString* dstName = dst_.storedName(j);
                if (srcName && dstName) {
                    // Times read ahead are taken as they are; the others are read here.
                    if (!src_.takeTimeAhead(i)) {
                        srcPos.push_back(i);
                        srcNames.append(*srcName);
                    }
                    if (!dst_.takeTimeAhead(j)) {
                        dstPos.push_back(j);
                        dstNames.append(*dstName);
                    }
                }
            }
            i += order <= 0 ? 1 : 0;
            j += order >= 0 ? 1 : 0;
        }
        if (srcPos.empty() && dstPos.empty())
            return;
        try {
            const auto timesIn = [](const QString& folder, const QStringList& names) {
                return names.isEmpty() ? QList<std::optional<qint64>>()
                                       : g().goFSO->ModifiedTimesIn(folder, names);
            };
            const auto srcTimes = timesIn(src_.diskDir, srcNames);
            const auto dstTimes = timesIn(dst_.diskDir, dstNames);
            for (size_t k = 0; k < srcPos.size() && k < size_t(srcTimes.size()); ++k)
                src_.times[static_cast<size_t>(srcPos[k] - 1)] = srcTimes[qsizetype(k)];
            for (size_t k = 0; k < dstPos.size() && k < size_t(dstTimes.size()); ++k)
                dst_.times[static_cast<size_t>(dstPos[k] - 1)] = dstTimes[qsizetype(k)];
        } catch (const RuntimeError&) {
            // Each file is then read at its turn.
        }
    }

    // Names equal after lower-casing on either side ("a.txt" and "A.txt"): the group's entries
    // are matched by their exact names and their lines show them. Moves i and j past the group.
    bool walkTwins(qint32& i, qint32& j, int order) {
        const QString key = order <= 0 ? src_.key(i) : dst_.key(j);
        const auto group = [&](const Side& side, qint32 from, bool present) {
            std::vector<qint32> positions;
            for (qint32 p = from;
                 present && p <= side.count() && detail::compareKeys(side.key(p), key) == 0; ++p)
                positions.push_back(p);
            return positions;
        };
        const std::vector<qint32> srcs = group(src_, i, order <= 0);
        const std::vector<qint32> dsts = group(dst_, j, order >= 0);
        i += qint32(srcs.size());
        j += qint32(dsts.size());
        const auto named = [](const Side& side, const std::vector<qint32>& positions) {
            return std::all_of(positions.begin(), positions.end(),
                               [&](qint32 p) { return side.storedName(p) != nullptr; });
        };
        // Without the stored names the twins cannot be told apart: each is left out with a note.
        if (!named(src_, srcs) || !named(dst_, dsts)) {
            for (const qint32 p : srcs)
                skipCollision(src_, p);
            for (const qint32 q : dsts)
                skipCollision(dst_, q);
            return true;
        }
        std::vector<bool> dstMatched(dsts.size(), false);
        for (const qint32 p : srcs) {
            const QString& name = *src_.storedName(p);
            const auto same = std::find_if(dsts.begin(), dsts.end(),
                                           [&](qint32 q) { return *dst_.storedName(q) == name; });
            if (same == dsts.end()) {
                if (!sourceUnmatched(p, name, true))
                    return false;
                continue;
            }
            dstMatched[size_t(same - dsts.begin())] = true;
            if (!matched(p, *same, name, name, true))
                return false;
        }
        for (size_t k = 0; k < dsts.size(); ++k) {
            if (!dstMatched[k])
                destinationUnmatched(dsts[k], *dst_.storedName(dsts[k]), true);
        }
        return true;
    }

    // The name the stages take an entry by: as stored on disk when known, else the shown one.
    static const QString& stageName(const Side& side, qint32 pos, const QString& shown) {
        const QString* stored = side.storedName(pos);
        return stored ? *stored : shown;
    }

    // Leaves out an entry whose twins cannot be told apart, with a note naming it.
    void skipCollision(const Side& side, qint32 pos) {
        diag::LogError(QString::fromLatin1(kModule), QStringLiteral("CheckLists"),
                       QStringLiteral("\r\nSkipped, the folder holds another name that differs "
                                      "only in letter case: ") +
                           side.anyPath(pos),
                       false);
    }

    qint64 modifiedMs(const Side& side, qint32 pos) {
        if (const std::optional<qint64>& known = side.times[static_cast<size_t>(pos - 1)])
            return *known;
        if (const auto path = side.diskPath(pos))
            return g().goFSO->LastModifiedOf(*path).toMSecsSinceEpoch();
        return g()
            .goFSO->GetFile(side.shownDir + side.key(pos))
            .DateLastModified()
            .toMSecsSinceEpoch();
    }

    bool hasArchiveBit(qint32 pos) {
        const int attributes = [&] {
            if (const auto path = src_.diskPath(pos))
                return g().goFSO->AttributesOf(*path);
            return g().goFSO->GetFile(src_.shownDir + src_.key(pos)).Attributes();
        }();
        return (attributes & attr::Archive) != 0;
    }

    void writeSourceHeader() {
        if (srcHeader_)
            return;
        srcHeader_ = true;
        af_.lstSrcFile().add(QLatin1StringView("Dir: ") % pair_.asSource %
                                 headerSeparator(pair_.asSource, pair_.asDest) % pair_.asDest,
                             {LineData::Kind::Header, src_.shownDir, dst_.shownDir, {}});
    }

    void writeDestinationHeader() {
        if (dstHeader_)
            return;
        dstHeader_ = true;
        af_.lstDstFile().add(QLatin1StringView("Dir: ") % pair_.asDest,
                             {LineData::Kind::Header, dst_.shownDir, {}, {}});
    }

    void writeSourceFile(qint32 i, const QString& shown, QLatin1StringView tag, bool twin) {
        const qint32 n = ++gNumbers.src;
        af_.lstSrcFile().add(
            QString::number(n) % QLatin1StringView(": ") % shown % tag % kNbsp,
            {LineData::Kind::Entry, src_.shownDir, {}, stageName(src_, i, shown), twin});
    }

    bool sourceUnmatched(qint32 i, const QString& sk, bool twin = false) {
        if (!pair_.fileMode) {
            const qint32 n = ++gNumbers.src;
            af_.lstSrcFolder2().add(pair_.asSource);
            af_.lstDstFolder2().add(pair_.asDest);
            af_.lstSrcFolder().add(QString::number(n) % QLatin1StringView(": ") % pair_.asSource %
                                       sk % kUnmatched % kNbsp % QLatin1StringView(" to ") %
                                       pair_.asDest,
                                   {LineData::Kind::Entry, src_.shownDir, dst_.shownDir,
                                    stageName(src_, i, sk), twin});
            return true;
        }
        writeSourceHeader();
        if (!g().gbArchive) {
            writeSourceFile(i, sk, kUnmatched, twin);
            return true;
        }
        const auto archive = trap_([&] { return hasArchiveBit(i); });
        if (!archive)
            return false;
        if (archive.valueOr(false))
            writeSourceFile(i, sk, kArchive, twin);
        return true;
    }

    void destinationUnmatched(qint32 j, const QString& dk, bool twin = false) {
        const qint32 n = ++gNumbers.dst;
        const LineData data{LineData::Kind::Entry, dst_.shownDir, {}, stageName(dst_, j, dk), twin};
        if (pair_.fileMode) {
            writeDestinationHeader();
            af_.lstDstFile().add(
                QString::number(n) % QLatin1StringView(": ") % dk % kUnmatched % kNbsp, data);
        } else {
            af_.lstDstFolder().add(QString::number(n) % QLatin1StringView(": ") % pair_.asDest %
                                       dk % kUnmatched % kNbsp,
                                   data);
        }
    }

    bool matched(qint32 i, qint32 j, const QString& sk, const QString& dk, bool twin = false) {
        if (!pair_.fileMode)
            return enterFolder(i, j, sk, dk);
        if (g().gbArchive) {
            const auto archive = trap_([&] { return hasArchiveBit(i); });
            if (!archive)
                return false;
            if (archive.valueOr(false)) {
                writeSourceHeader();
                writeSourceFile(i, sk, kArchive, twin);
            }
            return true;
        }
        const auto newer = trap_([&] {
            const qint64 dstTime = wholeSeconds(modifiedMs(dst_, j));
            return wholeSeconds(modifiedMs(src_, i)) > dstTime;
        });
        if (!newer)
            return false;
        if (newer.valueOr(false)) {
            writeSourceHeader();
            writeSourceFile(i, sk, kNewer, twin);
        }
        return true;
    }

    bool enterFolder(qint32 i, qint32 j, const QString& sk, const QString& dk) {
        if (af_.optRecurse()) {
            ShowDirs(af_, pair_.asSource, sk);
            const QString srcDisk = src_.diskPath(i).value_or(QString());
            const QString dstDisk = dst_.diskPath(j).value_or(QString());
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

    const diag::Trap<> trap_;
    const detail::ListPair& pair_;
    MainForm& af_;
    Side src_;
    Side dst_;
    QSet<QString> collisions_;
    bool srcHeader_ = false;
    bool dstHeader_ = false;
};

// Adds the files of one side to its list, leaving out excluded ones with a note.
void addFiles(const detail::FolderEntries& listing, const QString& folderPath, bool exclude,
              bool source, SortedList& list, detail::StoredNames& names,
              detail::StoredTimes& times) {
    for (qsizetype k = 0; k < listing.entries.size(); ++k) {
        const DirEntry& entry = listing.entries.at(k);
        if (entry.kind != EntryKind::File)
            continue;
        QString lower = listing.keys.at(k);
        if (exclude && FileExcluded(lower)) {
            diag::LogError(QString::fromLatin1(kModule), QStringLiteral("CheckFiles"),
                           (source ? QStringLiteral("Source file excluded: ")
                                   : QStringLiteral("Destination file excluded: ")) +
                               joinPath(folderPath, lower),
                           false);
            continue;
        }
        names.push_back(&entry.name);
        times.push_back(listing.times.isEmpty() ? std::nullopt : listing.times.at(k));
        ++(source ? g().glSrcFiles : g().glDstFiles);
        list.addNumbered(static_cast<qint32>(names.size()), std::move(lower));
    }
}

} // namespace

namespace detail {

namespace {

// Capital letters of Latin-1 (A-Z and the accented ones from U+00C0 to U+00DE, without the sign
// U+00D7), whose lower-case letter lies 0x20 above them.
inline bool isLatin1Capital(char16_t c) {
    return char16_t(c - u'A') <= char16_t(u'Z' - u'A') ||
           (char16_t(c - 0xc0) <= char16_t(0xde - 0xc0) && c != 0xd7);
}

} // namespace

QString LowerCaseKey(const QString& name) {
    // Most names are Latin-1 text, mostly plain ASCII: lowering them directly is several times
    // faster than the full Unicode mapping and gives the same text. The loops run to the end
    // without branching on the data, so the compiler can take several codes per step.
    const char16_t* const text = reinterpret_cast<const char16_t*>(name.constData());
    const qsizetype size = name.size();
    char16_t all = 0;
    char16_t capitals = 0;
    for (qsizetype k = 0; k < size; ++k) {
        all |= text[k];
        capitals |= char16_t(isLatin1Capital(text[k]));
    }
    if (all >= 0x100)
        return fspath::lowerCase(name); // keeps the codes of bytes that are not UTF-8 apart
    if (!capitals)
        return name;
    QString lower(size, Qt::Uninitialized);
    char16_t* const out = reinterpret_cast<char16_t*>(lower.data());
    for (qsizetype k = 0; k < size; ++k)
        out[k] = char16_t(text[k] + (isLatin1Capital(text[k]) ? 0x20 : 0));
    return lower;
}

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

bool CheckFilesAt(const QString& srcPath, const QString& dstPath, const FolderEntries* srcEntries,
                  const FolderEntries* dstEntries, MainForm& af, bool bbFirstCall) {
    Procedure proc(kModule, "Function CheckFiles", [&] {
        return traceParams("aoSrcFolder", "<Folder>", "aoDstFolder", "<Folder>", "af", "<Form>",
                           "bbFirstCall", "<Boolean = False>");
    });
    const bool archive = g().gbArchive;
    FolderEntries ownSrc;
    FolderEntries ownDst;
    const auto listOwn = [&](const QString& path, FolderEntries& own,
                             const FolderEntries*& entries) {
        const ListOutcome outcome = ListFolderEntries(proc, path, own);
        if (outcome == ListOutcome::Stop)
            g().gbErrorFlag = true;
        entries = &own;
        return outcome;
    };
    if (!srcEntries) {
        const ListOutcome outcome = listOwn(srcPath, ownSrc, srcEntries);
        if (outcome != ListOutcome::Listed)
            return outcome == ListOutcome::Skipped;
    }
    if (!archive && !dstEntries) {
        const ListOutcome outcome = listOwn(dstPath, ownDst, dstEntries);
        if (outcome != ListOutcome::Listed)
            return outcome == ListOutcome::Skipped;
    }

    SortedList srcList;
    SortedList dstList;
    const bool exclude = CheckExcludeSubdir(bbFirstCall);
    StoredNames names;
    StoredTimes times;
    const auto files = static_cast<size_t>(srcEntries->files + (archive ? 0 : dstEntries->files));
    names.reserve(files);
    times.reserve(files);
    addFiles(*srcEntries, srcPath, exclude, true, srcList, names, times);
    if (!archive)
        addFiles(*dstEntries, dstPath, exclude, false, dstList, names, times);

    const ListPair pair{true,
                        srcPath,
                        dstPath,
                        AddSlash(srcPath),
                        AddSlash(dstPath),
                        &names,
                        &srcEntries->twins,
                        archive ? nullptr : &dstEntries->twins,
                        &times};
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
