#!/usr/bin/env bash
# Comparison benchmark: builds the tools, generates a tree pair on a fresh ext4 image mounted on a
# loop device (much faster to fill than the root file system), runs bench_compare on it REPEATS
# times and removes everything again. Needs root for the loop mount.
#
#   bench/compare/run.sh [small|large|huge] [rounds] [repeats]
#
# small: about 20 000 source files, large: about 200 000, huge: about 1 000 000 (sparse files).
# Environment: PELTO_BENCH_BUILD (build folder, default build-bench), PELTO_BENCH_SEED (default 1).
set -euo pipefail
. "$(dirname "$0")/../common/image.sh"

size=${1:-small}
rounds=${2:-7}
repeats=${3:-1}
case $size in
small) label=20k ;;
large) label=200k ;;
huge) label=1M ;;
*) echo "usage: $0 [small|large|huge] [rounds] [repeats]" >&2; exit 2 ;;
esac
bench_require rsync find
bench_compile pelto-treegen bench_compare
bench_mount_pair "$size" 3G 8G
bench_generate "$size"
bench_repeat "$repeats" "$bench_build/bench/compare/bench_compare" --runs "$rounds" \
    --label "$label" --expect "$bench_mnt/trees/expect.txt" "$bench_mnt/trees/src" \
    "$bench_mnt/trees/dst"
