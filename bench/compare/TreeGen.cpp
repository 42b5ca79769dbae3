#include "TreeGen.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pelto::bench {

namespace {

// splitmix64: small, fast and the same on every machine, unlike the standard distributions.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    int between(int lo, int hi) { return lo + static_cast<int>(below(std::uint64_t(hi - lo + 1))); }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }

private:
    std::uint64_t state_;
};

std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
    return Rng(a ^ (b * 0xD1B54A32D192ED03ull)).next();
}

struct PlannedFolder {
    int depth = 0;
    int files = 0;
    std::vector<int> children;
};

// The folder tree without names: how many files and subfolders each folder has.
std::vector<PlannedFolder> planShape(const TreeSpec& spec, double branching) {
    Rng rng(mix(spec.seed, 0x5EED));
    std::vector<PlannedFolder> plan;
    const auto add = [&](const auto& self, int depth) -> int {
        const int index = static_cast<int>(plan.size());
        plan.push_back(PlannedFolder{depth, 0, {}});
        const int entries = rng.between(spec.minEntries, spec.maxEntries);
        const bool leaf = depth >= spec.maxDepth || (depth >= spec.minDepth && rng.chance(0.5));
        int subfolders = 0;
        if (!leaf)
            subfolders =
                std::clamp(static_cast<int>(branching * (0.5 + rng.unit()) + 0.5), 1, entries);
        plan[index].files = entries - subfolders;
        for (int k = 0; k < subfolders; ++k) {
            const int child = self(self, depth + 1);
            plan[index].children.push_back(child);
        }
        return index;
    };
    add(add, 0);
    return plan;
}

std::int64_t filesOf(const std::vector<PlannedFolder>& plan) {
    std::int64_t total = 0;
    for (const PlannedFolder& f : plan)
        total += f.files;
    return total;
}

// The plan whose file count comes nearest the target.
std::vector<PlannedFolder> planNear(const TreeSpec& spec) {
    std::vector<PlannedFolder> best;
    std::int64_t bestDistance = -1;
    for (double branching = 1.0; branching <= 24.0; branching += 0.05) {
        std::vector<PlannedFolder> plan = planShape(spec, branching);
        const std::int64_t files = filesOf(plan);
        const std::int64_t distance = std::llabs(files - spec.targetFiles);
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = std::move(plan);
        }
        if (files > 3 * spec.targetFiles) // wider trees only grow further
            break;
    }
    return best;
}

constexpr std::array<const char*, 24> kWords{
    "report", "invoice", "photo",    "notes",  "Budget",  "draft",          "letter",    "backup",
    "Music",  "scan",    "summary",  "data",   "Project", "minutes",        "café menu", "Müller",
    "plan",   "sketch",  "contract", "readme", "holiday", "Back to School", "config",    "archive"};
constexpr std::array<const char*, 12> kExtensions{".txt", ".jpg",  ".DOC", ".pdf", ".c",    ".h",
                                                  ".log", ".xlsx", ".mp3", ".PNG", ".html", ""};

std::string capitalized(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z')
        s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

// Swaps the letter case of ASCII letters (other bytes, such as UTF-8 sequences, stay).
std::string swappedCase(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string fileName(Rng& rng, int index) {
    const std::string word = kWords[rng.below(kWords.size())];
    const std::string n = std::to_string(index);
    std::string stem;
    switch (rng.below(4)) {
    case 0:
        stem = word + "_" + n;
        break;
    case 1:
        stem = capitalized(word) + " " + n;
        break;
    case 2:
        stem = swappedCase(word) + "-" + n;
        break;
    default:
        stem = word + " (" + n + ")";
        break;
    }
    return stem + kExtensions[rng.below(kExtensions.size())];
}

std::string folderName(Rng& rng, int index) {
    // " - " keeps folder names apart from every file name pattern above.
    return capitalized(kWords[rng.below(kWords.size())]) + " - " + std::to_string(index);
}

std::string join(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void makeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) != 0)
        fail("cannot create folder", path);
}

struct Stamp {
    std::int64_t seconds = 0;
    std::int64_t nanos = 0;
};

class Generator {
public:
    Generator(const TreeSpec& spec, std::vector<PlannedFolder> plan)
        : spec_(spec), plan_(std::move(plan)), content_(1 << 20) {
        Rng rng(mix(spec.seed, 0xC0DE));
        for (char& c : content_)
            c = static_cast<char>(rng.next());
    }

    // Fills a folder that exists at the source and, with `atDestination`, at the destination.
    void fill(int index, const std::string& src, const std::string& dst, bool atDestination) {
        const PlannedFolder& folder = plan_[static_cast<std::size_t>(index)];
        Rng rng(mix(spec_.seed, std::uint64_t(index) + 1));
        ++expect_.folders;
        bool sourceLine = false;
        bool destinationLine = false;

        for (int f = 0; f < folder.files; ++f) {
            const std::string name = fileName(rng, f);
            const std::int64_t size = pickSize(rng);
            const Stamp base{1'577'836'800 + std::int64_t(rng.below(3 * 365 * 86'400)),
                             std::int64_t(rng.below(400'000'000))};
            const std::uint64_t offset = rng.below(content_.size() - std::uint64_t(size));
            if (!atDestination) {
                writeFile(join(src, name), size, offset, base);
                ++expect_.sourceFiles;
                continue;
            }
            ++expect_.listedSourceFiles;
            const double fate = rng.unit();
            const bool caseChanged = rng.chance(spec_.caseChangedRate);
            const bool collision = rng.chance(spec_.collisionRate) && swappedCase(name) != name;

            Stamp srcTime = base;
            Stamp dstTime = base;
            bool copied = true;
            std::string dstName = name;
            if (collision) {
                // A sibling that differs only in letter case: names are matched exactly, so the
                // sibling is missing at the destination.
                writeFile(join(src, swappedCase(name)), size, offset, base);
                ++expect_.sourceFiles;
                ++expect_.listedSourceFiles;
                ++expect_.unmatchedSource;
                sourceLine = true;
            } else {
                double edge = spec_.missingRate;
                if (fate < edge) {
                    copied = false;
                    ++expect_.unmatchedSource;
                    sourceLine = true;
                } else if (fate < (edge += spec_.newerRate)) {
                    srcTime.seconds += 3600 + std::int64_t(rng.below(86'400));
                    ++expect_.newerSource;
                    sourceLine = true;
                } else if (fate < (edge += spec_.destinationNewerRate)) {
                    dstTime.seconds += 7200;
                } else if (fate < (edge += spec_.subSecondNewerRate)) {
                    srcTime.nanos += 500'000'000; // same second: not newer
                }
                if (caseChanged)
                    dstName = swappedCase(name);
            }
            writeFile(join(src, name), size, offset, srcTime);
            ++expect_.sourceFiles;
            if (copied) {
                writeFile(join(dst, dstName), size, offset, dstTime);
                ++expect_.destinationFiles;
                ++expect_.listedDestinationFiles;
            }
        }

        if (atDestination) {
            const auto extra =
                static_cast<int>(folder.files * spec_.destinationOnlyRate + rng.unit());
            for (int k = 0; k < extra; ++k) {
                const Stamp t{1'600'000'000 + std::int64_t(rng.below(86'400)), 0};
                writeFile(join(dst, "~extra-" + std::to_string(k) + ".bak"), pickSize(rng),
                          rng.below(content_.size() / 2), t);
                ++expect_.destinationFiles;
                ++expect_.listedDestinationFiles;
                ++expect_.unmatchedDestination;
                destinationLine = true;
            }
            if (rng.chance(spec_.destinationOnlyFolderRate))
                destinationOnlyFolder(rng, join(dst, "Old Backup " + std::to_string(index)));
        }
        expect_.sourceHeaders += sourceLine ? 1 : 0;
        expect_.destinationHeaders += destinationLine ? 1 : 0;

        for (std::size_t k = 0; k < folder.children.size(); ++k) {
            const std::string name = folderName(rng, static_cast<int>(k));
            const bool sourceOnly = rng.chance(spec_.sourceOnlyFolderRate);
            const bool caseChanged = rng.chance(spec_.caseChangedRate);
            const std::string childSrc = join(src, name);
            makeFolder(childSrc);
            if (!atDestination || sourceOnly) {
                if (atDestination)
                    ++expect_.sourceFolderLines;
                descend(folder, folder.children[k], childSrc, std::string(), false);
                continue;
            }
            const std::string childDst = join(dst, caseChanged ? swappedCase(name) : name);
            makeFolder(childDst);
            descend(folder, folder.children[k], childSrc, childDst, true);
        }
    }

    // A subtree of the top folder, to be filled later (on a worker thread).
    struct Subtree {
        int index = 0;
        std::string src;
        std::string dst;
        bool atDestination = false;
    };

    // While set, fill() of the top folder makes its subfolders but leaves their content to
    // `subtrees`.
    void deferSubtrees(std::vector<Subtree>* subtrees) { deferred_ = subtrees; }

    // A copy that fills subtrees on another thread: the same plan and content, its own counts.
    Generator worker() const {
        Generator copy(*this);
        copy.expect_ = TreeExpectation{};
        copy.deferred_ = nullptr;
        return copy;
    }

    const TreeExpectation& expectation() const { return expect_; }

private:
    void descend(const PlannedFolder& parent, int index, const std::string& src,
                 const std::string& dst, bool atDestination) {
        if (deferred_ && parent.depth == 0)
            deferred_->push_back(Subtree{index, src, dst, atDestination});
        else
            fill(index, src, dst, atDestination);
    }

    static std::int64_t pickSize(Rng& rng) {
        const double r = rng.unit();
        if (r < 0.85)
            return std::int64_t(rng.below(1025));
        if (r < 0.98)
            return 1024 + std::int64_t(rng.below(15 * 1024));
        return 16 * 1024 + std::int64_t(rng.below(112 * 1024));
    }

    void destinationOnlyFolder(Rng& rng, const std::string& path) {
        makeFolder(path);
        const int files = rng.between(1, 5);
        for (int k = 0; k < files; ++k) {
            writeFile(join(path, "old-" + std::to_string(k) + ".dat"), pickSize(rng),
                      rng.below(content_.size() / 2), Stamp{1'500'000'000, 0});
            ++expect_.destinationFiles;
        }
        ++expect_.destinationFolderLines;
    }

    void writeFile(const std::string& path, std::int64_t size, std::uint64_t offset,
                   const Stamp& modified) {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            fail("cannot create file", path);
        const char* data = content_.data() + offset;
        std::int64_t left = spec_.sparseContent ? 0 : size;
        if (spec_.sparseContent && size > 0 && ftruncate(fd, size) != 0) {
            close(fd);
            fail("cannot set the size of", path);
        }
        while (left > 0) {
            const ssize_t n = write(fd, data, static_cast<std::size_t>(left));
            if (n <= 0) {
                close(fd);
                fail("cannot write file", path);
            }
            data += n;
            left -= n;
        }
        const timespec times[2] = {{modified.seconds, modified.nanos},
                                   {modified.seconds, modified.nanos}};
        if (futimens(fd, times) != 0) {
            close(fd);
            fail("cannot set the time of", path);
        }
        close(fd);
        expect_.bytes += size;
    }

    const TreeSpec& spec_;
    std::vector<PlannedFolder> plan_;
    std::vector<char> content_;
    TreeExpectation expect_;
    std::vector<Subtree>* deferred_ = nullptr;
};

// The fields of an expectation, by name, for writing and reading it.
template <typename E, typename Fn> void forEachField(E& e, Fn&& fn) {
    fn("folders", e.folders);
    fn("source_files", e.sourceFiles);
    fn("destination_files", e.destinationFiles);
    fn("bytes", e.bytes);
    fn("listed_source_files", e.listedSourceFiles);
    fn("listed_destination_files", e.listedDestinationFiles);
    fn("unmatched_source", e.unmatchedSource);
    fn("newer_source", e.newerSource);
    fn("unmatched_destination", e.unmatchedDestination);
    fn("source_headers", e.sourceHeaders);
    fn("destination_headers", e.destinationHeaders);
    fn("source_folder_lines", e.sourceFolderLines);
    fn("destination_folder_lines", e.destinationFolderLines);
}

void addTo(TreeExpectation& total, const TreeExpectation& part) {
    std::vector<std::int64_t> values;
    forEachField(part, [&](const char*, std::int64_t value) { values.push_back(value); });
    std::size_t i = 0;
    forEachField(total, [&](const char*, std::int64_t& field) { field += values[i++]; });
}

} // namespace

TreeSpec smallTreeSpec(std::uint64_t seed) {
    TreeSpec spec;
    spec.seed = seed;
    spec.targetFiles = 20'000;
    spec.sourceOnlyFolderRate = 0.03;
    spec.destinationOnlyFolderRate = 0.03;
    return spec;
}

TreeSpec largeTreeSpec(std::uint64_t seed) {
    TreeSpec spec = smallTreeSpec(seed);
    spec.targetFiles = 200'000;
    return spec;
}

TreeSpec hugeTreeSpec(std::uint64_t seed) {
    TreeSpec spec = smallTreeSpec(seed);
    spec.targetFiles = 1'000'000;
    spec.sparseContent = true;
    return spec;
}

TreeExpectation generateTreePair(const TreeSpec& spec, const std::string& sourceRoot,
                                 const std::string& destinationRoot) {
    Generator generator(spec, planNear(spec));
    makeFolder(sourceRoot);
    makeFolder(destinationRoot);
    // The top folder first; its subtrees are then filled by one thread per core. Every folder
    // draws from a random stream of its own, so the trees do not depend on the order.
    std::vector<Generator::Subtree> subtrees;
    generator.deferSubtrees(&subtrees);
    generator.fill(0, sourceRoot, destinationRoot, true);
    generator.deferSubtrees(nullptr);

    const std::size_t threads =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, subtrees.size() + 1);
    std::atomic<std::size_t> next{0};
    std::vector<Generator> workers(threads, generator.worker());
    std::vector<std::exception_ptr> failures(threads);
    std::vector<std::thread> pool;
    for (std::size_t t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            try {
                for (std::size_t k; (k = next++) < subtrees.size();) {
                    const Generator::Subtree& s = subtrees[k];
                    workers[t].fill(s.index, s.src, s.dst, s.atDestination);
                }
            } catch (...) {
                failures[t] = std::current_exception();
                next = subtrees.size();
            }
        });
    }
    for (std::thread& thread : pool)
        thread.join();
    TreeExpectation total = generator.expectation();
    for (std::size_t t = 0; t < threads; ++t) {
        if (failures[t])
            std::rethrow_exception(failures[t]);
        addTo(total, workers[t].expectation());
    }
    return total;
}

std::string formatExpectation(const TreeExpectation& e) {
    std::ostringstream out;
    forEachField(
        e, [&](const char* name, std::int64_t value) { out << name << ' ' << value << '\n'; });
    return out.str();
}

TreeExpectation parseExpectation(const std::string& text) {
    TreeExpectation e;
    std::istringstream in(text);
    std::string key;
    std::int64_t value = 0;
    while (in >> key >> value) {
        forEachField(e, [&](const char* name, std::int64_t& field) {
            if (key == name)
                field = value;
        });
    }
    return e;
}

} // namespace pelto::bench
