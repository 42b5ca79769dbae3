#include "engine/compare/ReadAhead.h"

#include "engine/compare/Compare.h"
#include "engine/compare/CompareWalk.h"
#include "engine/compare/KeyOrder.h"

#include <QScopeGuard>
#include <algorithm>
#include <atomic>
#include <utility>

namespace pelto::detail {

namespace {

// How far the worker may get ahead of the walk: listings holding this many entries, or this
// many listings (of nearly empty folders). One folder larger than that is still read whole.
constexpr qsizetype kEntriesAhead = 1024;
constexpr size_t kListingsAhead = 64; // pairs

std::atomic<ReadAheadUse> gUse{ReadAheadUse::Auto};
std::atomic<int> gRunning{0};
thread_local ReadAhead* gActive = nullptr;
thread_local ReadAheadCounts gLast;

// PELTO_PREFETCH=0 in the environment switches reading ahead off, for measuring the walk without
// it; read once per run of the program.
bool environmentAllows() {
    static const bool allowed = qgetenv("PELTO_PREFETCH") != "0";
    return allowed;
}

// A subfolder's path as the walk makes it: the folder's path with a separator, then the name.
QString childPath(const QString& folder, const QString& name) {
    const QChar sep = PathSeparator();
    return folder.endsWith(sep) ? folder + name : folder + sep + name;
}

} // namespace

void SetReadAheadUse(ReadAheadUse use) {
    gUse = use;
}

ReadAheadCounts LastReadAheadCounts() {
    return gLast;
}

int ReadAheadThreadsRunning() {
    return gRunning;
}

bool ReadAhead::WantedFor(const FileSystem& fs) {
    switch (gUse.load()) {
    case ReadAheadUse::Off:
        return false;
    case ReadAheadUse::Always:
        return fs.ReadsAheadSafely();
    case ReadAheadUse::Auto:
        break;
    }
    return std::thread::hardware_concurrency() > 1 && environmentAllows() && fs.ReadsAheadSafely();
}

ReadAhead* ReadAhead::Active() {
    return gActive;
}

ReadAhead::ReadAhead(FileSystem& fs, const QString& srcPath, const QString& dstPath, bool times)
    : fs_(fs), times_(times), waits_(gUse == ReadAheadUse::Always) {
    stack_.push_back(Pair{srcPath, dstPath});
    plan(srcPath, 1);
    plan(dstPath, 1);
    worker_ = std::jthread([this](const std::stop_token& stop) { work(stop); });
}

ReadAhead::~ReadAhead() {
    worker_.request_stop();
    worker_.join();
    gLast = ReadAheadCounts{read_, used_};
}

void ReadAhead::plan(const QString& path, int change) {
    int& count = planned_[path];
    count += change;
    if (count <= 0)
        planned_.remove(path);
}

bool ReadAhead::halfEmpty() const {
    return queuedEntries_ < kEntriesAhead / 2 && queue_.size() < kListingsAhead / 2;
}

qsizetype ReadAhead::PairItem::entries() const {
    return (src ? src->entries.entries.size() : 0) + (dst ? dst->entries.entries.size() : 0);
}

void ReadAhead::dropFront(size_t count) {
    for (size_t k = 0; k < count; ++k)
        queuedEntries_ -= queue_[k]->entries();
    queue_.erase(queue_.begin(), queue_.begin() + qsizetype(count));
}

std::optional<FolderEntries> ReadAhead::take(const QString& path) {
    // The walk never waits for a listing: a folder not read yet it reads itself, as without
    // reading ahead, so that a busy machine, which may leave the worker without a core for a
    // while, does not hold the walk up. It waits only for times the worker is reading just then.
    std::unique_lock lock(mutex_);
    // The source listing of a pair, or the destination's once the source's is taken.
    const auto findIt = [&] {
        return std::find_if(queue_.begin(), queue_.end(), [&](const Queued& item) {
            return item->src ? item->paths.src == path : item->paths.dst == path;
        });
    };
    auto found = findIt();
    while (found == queue_.end()) {
        if (done_ || !planned_.contains(path))
            return std::nullopt;
        // What is queued comes before it and is not needed any more; the worker goes straight
        // to its pair and on to the folders below it.
        dropFront(queue_.size());
        if (current_.src != path && current_.dst != path)
            wanted_ = path;
        changed_.notify_all();
        if (!waits_)
            return std::nullopt;
        changed_.wait(lock);
        found = findIt();
    }
    const Queued item = *found;
    // The pairs before it belong to folders the walk has passed by.
    dropFront(size_t(found - queue_.begin()));
    const bool source = item->src.has_value();
    // Times the worker is reading are waited for (the two meet on a pair seldom, see work());
    // times nobody has read yet are read here.
    changed_.wait(lock, [&] { return item->times != Times::Reading; });
    const bool readHere = source && item->times == Times::Pending;
    if (readHere)
        item->times = Times::Done;
    std::optional<Listing>& side = source ? item->src : item->dst;
    Listing listing = std::move(*side);
    side.reset();
    queuedEntries_ -= listing.entries.entries.size();
    if (!item->src && !item->dst)
        queue_.pop_front();
    const bool wake = halfEmpty();
    lock.unlock();
    if (wake)
        changed_.notify_all();
    if (readHere) {
        const TimesRead times = readTimes(*item);
        applyTimes(listing, item->srcAt, times.src);
        const std::lock_guard relock(mutex_);
        if (item->dst)
            applyTimes(*item->dst, item->dstAt, times.dst);
    }
    fs_.UseFolderAhead(FolderAhead{path, {}, {}, std::move(listing.kept)});
    ++used_;
    return std::move(listing.entries);
}

void ReadAhead::work(const std::stop_token& stop) {
    ++gRunning;
    const auto finished = qScopeGuard([this] {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        --gRunning;
    });
    const auto room = [this] {
        return queuedEntries_ < kEntriesAhead && queue_.size() < kListingsAhead;
    };
    // The walk reads the times of the pairs it reaches from the front of the queue; the worker
    // takes them from the back, so that the two seldom meet on the same pair.
    const auto pendingTimes = [this] {
        return std::find_if(queue_.rbegin(), queue_.rend(),
                            [](const Queued& item) { return item->times == Times::Pending; });
    };
    while (!stop.stop_requested()) {
        std::unique_lock lock(mutex_);
        // Listing ahead comes first while there is room; then the times of the pairs queued,
        // from the back, while the walk reads those of the pair it reaches itself.
        // A worker that waits for room goes on once the queue is half empty, not at every
        // listing taken, so that it is woken less often.
        const bool ready = changed_.wait(lock, stop, [&] {
            return (halfEmpty() && !stack_.empty()) || pendingTimes() != queue_.rend() ||
                   stack_.empty();
        });
        if (!ready)
            return;
        if (!room() || stack_.empty()) {
            const auto pending = pendingTimes();
            if (pending == queue_.rend())
                return; // nothing left to list, no times left to read
            const Queued item = *pending;
            item->times = Times::Reading;
            lock.unlock();
            const TimesRead times = readTimes(*item);
            lock.lock();
            applyTimes(*item->src, item->srcAt, times.src);
            applyTimes(*item->dst, item->dstAt, times.dst);
            item->times = Times::Done;
            lock.unlock();
            changed_.notify_all();
            continue;
        }
        for (;;) {
            if (stack_.empty())
                break;
            current_ = std::move(stack_.back());
            stack_.pop_back();
            if (wanted_.isEmpty() || current_.src == wanted_ || current_.dst == wanted_)
                break;
            plan(current_.src, -1);
            plan(current_.dst, -1);
            current_ = Pair();
        }
        if (current_.src.isNull())
            continue;
        wanted_.clear();
        lock.unlock();
        // current_ changes only on this thread, so it is read here without the lock.
        std::vector<Pair> next;
        const Queued item = readPair(current_, next);
        lock.lock();
        if (item) {
            read_ += item->dst ? 2 : 1;
            queuedEntries_ += item->entries();
            queue_.push_back(item);
        }
        plan(current_.src, -1);
        plan(current_.dst, -1);
        current_ = Pair();
        for (auto it = next.rbegin(); it != next.rend(); ++it) {
            plan(it->src, 1);
            plan(it->dst, 1);
            stack_.push_back(std::move(*it));
        }
        lock.unlock();
        changed_.notify_all();
    }
}

std::optional<ReadAhead::Listing> ReadAhead::readFolder(const QString& path) {
    std::optional<FolderAhead> ahead = fs_.ReadFolderAhead(path);
    if (!ahead)
        return std::nullopt;
    Listing listing{{}, std::move(ahead->kept)};
    listing.entries.entries = std::move(ahead->entries);
    listing.entries.others = std::move(ahead->others);
    AddKeys(listing.entries);
    return listing;
}

ReadAhead::TimesRead ReadAhead::readTimes(const PairItem& item) {
    return TimesRead{fs_.ModifiedTimesAhead(item.paths.src, item.srcNames),
                     fs_.ModifiedTimesAhead(item.paths.dst, item.dstNames)};
}

void ReadAhead::applyTimes(Listing& listing, const std::vector<qsizetype>& at,
                           const QList<std::optional<qint64>>& times) {
    if (times.size() != qsizetype(at.size()))
        return; // not read: the walk reads them at their turn
    listing.entries.times.resize(listing.entries.entries.size());
    for (size_t k = 0; k < at.size(); ++k)
        listing.entries.times[at[k]] = times.at(qsizetype(k));
}

ReadAhead::Queued ReadAhead::readPair(const Pair& pair, std::vector<Pair>& next) {
    std::optional<Listing> src = readFolder(pair.src);
    if (!src)
        return nullptr;
    auto item = std::make_shared<PairItem>();
    item->paths = pair;
    item->dst = readFolder(pair.dst);
    if (item->dst) {
        // Entries of one kind that both sides hold under one key, as the walk matches them;
        // keys held twice in a folder are matched by exact name there and left to the walk.
        const FolderEntries& s = src->entries;
        const FolderEntries& d = item->dst->entries;
        QHash<QString, qsizetype> dstAt;
        dstAt.reserve(d.entries.size());
        for (qsizetype k = 0; k < d.entries.size(); ++k) {
            if (!d.twins.contains(d.keys.at(k)))
                dstAt.insert(d.keys.at(k), k);
        }
        std::vector<std::pair<QString, Pair>> folders;
        for (qsizetype k = 0; k < s.entries.size(); ++k) {
            const QString& key = s.keys.at(k);
            const auto at = dstAt.constFind(key);
            if (at == dstAt.cend() || s.twins.contains(key))
                continue;
            const DirEntry& here = s.entries.at(k);
            const DirEntry& there = d.entries.at(*at);
            if (here.kind != there.kind)
                continue;
            if (here.kind == EntryKind::Folder) {
                folders.emplace_back(
                    key, Pair{childPath(pair.src, here.name), childPath(pair.dst, there.name)});
            } else if (times_) {
                item->srcAt.push_back(k);
                item->srcNames.append(here.name);
                item->dstAt.push_back(*at);
                item->dstNames.append(there.name);
            }
        }
        if (!item->srcAt.empty())
            item->times = Times::Pending;
        std::sort(folders.begin(), folders.end(),
                  [](const auto& a, const auto& b) { return compareKeys(a.first, b.first) < 0; });
        next.reserve(folders.size());
        for (auto& folder : folders)
            next.push_back(std::move(folder.second));
    }
    item->src = std::move(src);
    return item;
}

ReadAheadScope::ReadAheadScope(std::unique_ptr<ReadAhead> ahead)
    : ahead_(std::move(ahead)), outer_(gActive) {
    if (ahead_)
        gActive = ahead_.get();
}

ReadAheadScope::~ReadAheadScope() {
    ahead_.reset();
    gActive = outer_;
}

} // namespace pelto::detail
