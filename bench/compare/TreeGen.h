#pragma once
// Deterministic generator of source / destination folder trees for benchmarks.
//
// The same seed gives the same trees, byte for byte and to the nanosecond of every time stamp.
// The source tree is 3 to 5 levels deep with 20 to 200 entries per folder, mostly small files;
// the destination is a copy of it with changes: files missing, files older than at the source,
// files only at the destination, folders on one side only, names in another letter case, a few
// names that collide with a sibling after lower-casing, and some files newer at the destination or
// newer at the source by less than a second (which a check must not list). The generator also
// works out what a check of the pair must report.

#include <cstdint>
#include <string>

namespace pelto::bench {

struct TreeSpec {
    std::uint64_t seed = 1;
    std::int64_t targetFiles = 20'000; // source files, about
    int minDepth = 3;
    int maxDepth = 5;
    int minEntries = 20;
    int maxEntries = 200;
    double missingRate = 0.02;         // source files missing at the destination
    double newerRate = 0.02;           // source files newer than their copy
    double destinationOnlyRate = 0.01; // extra destination files, per source file
    double destinationNewerRate = 0.005;
    double subSecondNewerRate = 0.005; // source newer by a fraction of the same second
    double caseChangedRate = 0.01;     // copy named in another letter case
    double collisionRate = 0.0005;     // source file gains a sibling differing only in case
    double sourceOnlyFolderRate = 0.01;
    double destinationOnlyFolderRate = 0.005;
    // Files get their size as a hole (no data written), so that a million of them are made in
    // well under a minute. A check reads sizes and times only, never content.
    bool sparseContent = false;
};

// About 20 000 and about 200 000 source files; about 1 000 000 with sparse content.
TreeSpec smallTreeSpec(std::uint64_t seed = 1);
TreeSpec largeTreeSpec(std::uint64_t seed = 1);
TreeSpec hugeTreeSpec(std::uint64_t seed = 1);

// What a recursive check of the generated pair finds.
struct TreeExpectation {
    std::int64_t folders = 0;           // source folders, the top one included
    std::int64_t sourceFiles = 0;       // all files of the source tree
    std::int64_t destinationFiles = 0;  // all files of the destination tree
    std::int64_t bytes = 0;             // file sizes, both trees
    std::int64_t listedSourceFiles = 0; // files the check lists on the source side (glSrcFiles)
    std::int64_t listedDestinationFiles = 0;
    std::int64_t unmatchedSource = 0; // " unmatched" lines of lstSrcFile
    std::int64_t newerSource = 0;     // " newer" lines
    std::int64_t unmatchedDestination = 0;
    std::int64_t sourceHeaders = 0;
    std::int64_t destinationHeaders = 0;
    std::int64_t sourceFolderLines = 0;
    std::int64_t destinationFolderLines = 0;
};

// Creates `sourceRoot` and `destinationRoot` (which must not exist) and fills them, the subtrees
// of the top folder on one thread per core. Throws std::runtime_error when the file system
// refuses.
TreeExpectation generateTreePair(const TreeSpec& spec, const std::string& sourceRoot,
                                 const std::string& destinationRoot);

// "key value" lines, and back.
std::string formatExpectation(const TreeExpectation& e);
TreeExpectation parseExpectation(const std::string& text);

} // namespace pelto::bench
