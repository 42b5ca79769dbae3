// pelto-treegen: writes a generated source / destination tree pair for benchmarks.
//
//   pelto-treegen [--size small|large|huge] [--files N] [--seed N] OUT
//
// creates OUT/src, OUT/dst and OUT/expect.txt (what a check of the pair must find).

#include "TreeGen.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    using namespace pelto::bench;
    std::string size = "small";
    std::uint64_t seed = 1;
    std::int64_t files = 0;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size" && i + 1 < argc)
            size = argv[++i];
        else if (arg == "--seed" && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--files" && i + 1 < argc)
            files = std::strtoll(argv[++i], nullptr, 10);
        else if (out.empty() && arg.rfind("--", 0) != 0)
            out = arg;
        else {
            std::cerr
                << "usage: pelto-treegen [--size small|large|huge] [--files N] [--seed N] OUT\n";
            return 2;
        }
    }
    if (out.empty() || (size != "small" && size != "large" && size != "huge")) {
        std::cerr << "usage: pelto-treegen [--size small|large|huge] [--files N] [--seed N] OUT\n";
        return 2;
    }
    TreeSpec spec = size == "huge"    ? hugeTreeSpec(seed)
                    : size == "large" ? largeTreeSpec(seed)
                                      : smallTreeSpec(seed);
    if (files > 0)
        spec.targetFiles = files;

    const auto start = std::chrono::steady_clock::now();
    try {
        mkdir(out.c_str(), 0755);
        const TreeExpectation e = generateTreePair(spec, out + "/src", out + "/dst");
        std::ofstream(out + "/expect.txt") << formatExpectation(e);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::cout << "generated " << e.sourceFiles << " source and " << e.destinationFiles
                  << " destination files in " << e.folders << " folders ("
                  << e.bytes / (1024 * 1024) << " MiB) in " << seconds << " s\n";
    } catch (const std::exception& e) {
        std::cerr << "pelto-treegen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
