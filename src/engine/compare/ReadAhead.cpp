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
constexpr qsizetype kEntriesAhead = 4096;
constexpr size_t kListingsAhead = 512;

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
    case ReadAheadUse::On:
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
    : fs_(fs), times_(times) {
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

std::optional<FolderEntries> ReadAhead::take(const QString& path) {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto found = std::find_if(queue_.begin(), queue_.end(),
                                        [&](const Item& item) { return item.path == path; });
        if (found != queue_.end()) {
            // The listings before it belong to folders the walk has passed by.
            Item item = std::move(*found);
            for (auto it = queue_.begin(); it != found; ++it)
                queuedEntries_ -= it->entries.entries.size();
            queuedEntries_ -= item.entries.entries.size();
            queue_.erase(queue_.begin(), found + 1);
            lock.unlock();
            changed_.notify_all();
            fs_.UseFolderAhead(FolderAhead{item.path, {}, {}, std::move(item.kept)});
            ++used_;
            return std::move(item.entries);
        }
        if (done_ || !planned_.contains(path))
            return std::nullopt;
        // Not read yet: what is queued comes before it and is not needed any more, and the
        // worker goes straight to its pair.
        queue_.clear();
        queuedEntries_ = 0;
        if (current_.src != path && current_.dst != path)
            wanted_ = path;
        changed_.notify_all();
        changed_.wait(lock);
    }
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
    while (!stop.stop_requested()) {
        {
            std::unique_lock lock(mutex_);
            const bool room = changed_.wait(lock, stop, [this] {
                return queuedEntries_ < kEntriesAhead && queue_.size() < kListingsAhead;
            });
            if (!room)
                return;
            for (;;) {
                if (stack_.empty())
                    return;
                current_ = std::move(stack_.back());
                stack_.pop_back();
                if (wanted_.isEmpty() || current_.src == wanted_ || current_.dst == wanted_)
                    break;
                plan(current_.src, -1);
                plan(current_.dst, -1);
            }
            wanted_.clear();
        }
        // current_ changes only here, on this thread, so it is read without the lock.
        std::vector<Item> items;
        std::vector<Pair> next = readPair(current_, items);
        {
            const std::lock_guard lock(mutex_);
            read_ += qint64(items.size());
            for (Item& item : items) {
                queuedEntries_ += item.entries.entries.size();
                queue_.push_back(std::move(item));
            }
            plan(current_.src, -1);
            plan(current_.dst, -1);
            current_ = Pair();
            for (auto it = next.rbegin(); it != next.rend(); ++it) {
                plan(it->src, 1);
                plan(it->dst, 1);
                stack_.push_back(std::move(*it));
            }
        }
        changed_.notify_all();
    }
}

std::optional<ReadAhead::Item> ReadAhead::readFolder(const QString& path) {
    std::optional<FolderAhead> ahead = fs_.ReadFolderAhead(path);
    if (!ahead)
        return std::nullopt;
    Item item{path, {}, std::move(ahead->kept)};
    item.entries.entries = std::move(ahead->entries);
    item.entries.others = std::move(ahead->others);
    AddKeys(item.entries);
    return item;
}

std::vector<ReadAhead::Pair> ReadAhead::readPair(const Pair& pair, std::vector<Item>& items) {
    std::optional<Item> src = readFolder(pair.src);
    if (!src)
        return {};
    std::optional<Item> dst = readFolder(pair.dst);
    std::vector<Pair> next;
    if (dst) {
        // Entries of one kind that both sides hold under one key, as the walk matches them;
        // keys held twice in a folder are matched by exact name there and left to the walk.
        const FolderEntries& s = src->entries;
        const FolderEntries& d = dst->entries;
        QHash<QString, qsizetype> dstAt;
        dstAt.reserve(d.entries.size());
        for (qsizetype k = 0; k < d.entries.size(); ++k) {
            if (!d.twins.contains(d.keys.at(k)))
                dstAt.insert(d.keys.at(k), k);
        }
        QStringList srcNames, dstNames;
        std::vector<qsizetype> srcFiles, dstFiles;
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
                srcFiles.push_back(k);
                srcNames.append(here.name);
                dstFiles.push_back(*at);
                dstNames.append(there.name);
            }
        }
        if (!srcFiles.empty()) {
            const auto fill = [this](Item& item, const QString& folder,
                                     const std::vector<qsizetype>& at, const QStringList& names) {
                const QList<std::optional<qint64>> times = fs_.ModifiedTimesAhead(folder, names);
                if (times.size() != names.size())
                    return;
                item.entries.times.resize(item.entries.entries.size());
                for (size_t k = 0; k < at.size(); ++k)
                    item.entries.times[at[k]] = times.at(qsizetype(k));
            };
            fill(*src, pair.src, srcFiles, srcNames);
            fill(*dst, pair.dst, dstFiles, dstNames);
        }
        std::sort(folders.begin(), folders.end(),
                  [](const auto& a, const auto& b) { return compareKeys(a.first, b.first) < 0; });
        next.reserve(folders.size());
        for (auto& folder : folders)
            next.push_back(std::move(folder.second));
    }
    items.push_back(std::move(*src));
    if (dst)
        items.push_back(std::move(*dst));
    return next;
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
