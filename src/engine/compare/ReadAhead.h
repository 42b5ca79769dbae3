#pragma once
// Listings read ahead of the folder walk on a second thread.
//
// The check spends most of its time waiting for the file system: one listing per folder and side
// and one status read per file present on both sides. A worker thread walks the same folder
// pairs in the order the walk will take them (depth first, subfolders by list key), lists them,
// makes their list keys, and queues the results. The walk takes each listing from the queue when
// it gets there, instead of reading the folder itself; everything else (its order, its lines,
// the display refresh and Cancel) stays on the walk's thread, which owns the window. The status
// reads of the files both sides hold are shared: the worker reads them for the pairs at the back
// of the queue, the walk for the pair it reaches when nobody has read them yet.
//
// A listing is taken only for a folder the walk asks for by the same path; a folder the worker
// did not foresee (an exclusion, names differing only in letter case, a folder read again after
// an error) is read by the walk itself, the ordinary way, and so is every folder whose read-ahead
// failed: errors always reach the failure report through the walk's own calls. The queue holds
// at most a few thousand entries; the worker waits while it is full and stops as soon as the
// walk ends, whether finished, cancelled or stopped by an error.
//
// Reading ahead is off when the file-system service does not declare itself safe for it (a test
// service or the window's counting service then sees every call as before), on a machine with one
// core, and when the environment variable PELTO_PREFETCH is 0 (read once, for measuring).

#include "engine/compare/FolderListing.h"
#include "platform/FileSystem.h"

#include <QHash>
#include <QString>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

namespace pelto::detail {

enum class ReadAheadUse {
    Auto, // when the service allows it, the machine has more than one core and the environment
          // does not switch it off
    Off,
    // Whenever the service allows it, whatever the cores, and the walk waits for every folder
    // the worker has foreseen, so that all of them come from it (tests).
    Always,
};
void SetReadAheadUse(ReadAheadUse use);

// What the last walk's read-ahead did (tests and measurements).
struct ReadAheadCounts {
    qint64 read = 0; // folders the worker listed
    qint64 used = 0; // listings the walk took
};
ReadAheadCounts LastReadAheadCounts();
// Read-ahead threads now running: none once a walk has returned.
int ReadAheadThreadsRunning();

class ReadAhead {
public:
    // Starts reading ahead from the folder pair a walk starts at, as stored on disk. Without
    // `times` (archive mode) no file times are read.
    ReadAhead(FileSystem& fs, const QString& srcPath, const QString& dstPath, bool times);
    // Stops the worker and waits for it: it ends after the folder it is reading.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Whether a walk through `fs` reads ahead.
    static bool WantedFor(const FileSystem& fs);
    // The read-ahead of the walk now running on this thread, if any.
    static ReadAhead* Active();

    // The listing of `path` when the worker has read it, taken from the queue (the service is
    // told so, as if it had just listed the folder itself); nullopt when the walk must read the
    // folder itself. Waits for the worker only with ReadAheadUse::Always.
    std::optional<FolderEntries> take(const QString& path);

private:
    struct Pair {
        QString src;
        QString dst;
    };
    struct Listing {
        FolderEntries entries;
        std::shared_ptr<const void> kept; // of the FolderAhead, for UseFolderAhead
    };
    // The times of the files both sides hold: none to read, to read, being read by the worker,
    // read (or being read by the walk).
    enum class Times { None, Pending, Reading, Done };
    // One folder pair read ahead. Its listings go to the walk one after the other, the source's
    // first; the times are read by whichever thread gets to them first.
    struct PairItem {
        Pair paths;
        std::optional<Listing> src; // null once taken
        std::optional<Listing> dst; // null once taken, or when it could not be read ahead
        Times times = Times::None;
        QStringList srcNames, dstNames;      // the files whose times are read
        std::vector<qsizetype> srcAt, dstAt; // their places in the listings
        qsizetype entries() const;
    };
    using Queued = std::shared_ptr<PairItem>;

    void work(const std::stop_token& stop);
    // Reads one pair and returns the subfolder pairs the walk will enter, in its order; null
    // when the source cannot be read ahead.
    Queued readPair(const Pair& pair, std::vector<Pair>& next);
    std::optional<Listing> readFolder(const QString& path);
    // The times of a pair's files, read outside the lock (the names do not change once queued),
    // and put into a listing by the entries' places.
    struct TimesRead {
        QList<std::optional<qint64>> src, dst;
    };
    TimesRead readTimes(const PairItem& item);
    static void applyTimes(Listing& listing, const std::vector<qsizetype>& at,
                           const QList<std::optional<qint64>>& times);
    void plan(const QString& path, int change);
    // The queue holds less than half of what it may (under the lock).
    bool halfEmpty() const;
    // Removes the first `count` pairs of the queue (under the lock).
    void dropFront(size_t count);

    FileSystem& fs_;
    const bool times_;
    const bool waits_;

    std::mutex mutex_;
    std::condition_variable_any changed_;
    // Under mutex_: the pairs read, in the walk's order; the entries they hold; the pairs
    // still to read, the next last; the paths of those and of the pair being read, counted;
    // a path the walk asked for, whose pair the worker reads next, leaving out those before it;
    // whether the worker has finished.
    std::deque<Queued> queue_;
    qsizetype queuedEntries_ = 0;
    std::vector<Pair> stack_;
    Pair current_; // written only by the worker, under mutex_
    QHash<QString, int> planned_;
    QString wanted_;
    bool done_ = false;
    qint64 read_ = 0;
    qint64 used_ = 0; // only on the walk's thread

    std::jthread worker_; // last: started once everything above is in place
};

// Makes a walk's read-ahead the active one while it lives (null: none is made).
class ReadAheadScope {
public:
    explicit ReadAheadScope(std::unique_ptr<ReadAhead> ahead);
    ~ReadAheadScope();

private:
    std::unique_ptr<ReadAhead> ahead_;
    ReadAhead* const outer_; // the one active before
};

} // namespace pelto::detail
