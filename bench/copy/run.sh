#!/usr/bin/env bash
# Copy benchmark: builds the tools, generates the tree pair on a freshly made ext4 image mounted on
# a loop device (never on the root file system), runs bench_copy on it REPEATS times and removes
# everything again. Needs root for the loop mount.
#
#   bench/copy/run.sh [small|large] [rounds] [repeats]
#
# Environment: PELTO_BENCH_BUILD (build folder, default build-bench), PELTO_BENCH_SEED (default 1).
set -euo pipefail
. "$(dirname "$0")/../common/image.sh"

size=${1:-small}
rounds=${2:-7}
repeats=${3:-1}
case $size in
small | large) ;;
*) echo "usage: $0 [small|large] [rounds] [repeats]" >&2; exit 2 ;;
esac
bench_require rsync cp sync
bench_compile pelto-treegen bench_copy pelto-cli
# Room for the pair and five copies of the source.
bench_mount_pair "$size" 4G 24G
bench_generate "$size"
mkdir "$bench_mnt/work"
bench_repeat "$repeats" "$bench_build/bench/copy/bench_copy" --runs "$rounds" \
    --cli "$bench_build/src/cli/pelto-cli" "$bench_mnt/trees/src" "$bench_mnt/trees/dst" \
    "$bench_mnt/work"
