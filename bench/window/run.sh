#!/usr/bin/env bash
# Window benchmark: builds the tools, generates a tree pair on a fresh ext4 image mounted on a
# loop device, times a check in the window program (offscreen) against `pelto-cli check` on it
# REPEATS times, and removes everything again. Needs root for the loop mount.
#
#   bench/window/run.sh [small|large|huge] [rounds] [repeats]
#
# Environment: PELTO_BENCH_BUILD (build folder, default build-bench), PELTO_BENCH_SEED (default 1).
set -euo pipefail
. "$(dirname "$0")/../common/image.sh"

size=${1:-large}
rounds=${2:-7}
repeats=${3:-1}
bench_require
bench_compile pelto-treegen bench_window pelto-cli
bench_mount_pair "$size" 3G 8G
bench_generate "$size"
bench_repeat "$repeats" "$bench_build/bench/window/bench_window" --runs "$rounds" \
    --cli "$bench_build/src/cli/pelto-cli" "$bench_mnt/trees/src" "$bench_mnt/trees/dst"
