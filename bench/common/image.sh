# Shared steps of the benchmark scripts (sourced, not run): build the benchmark programs, make a
# fresh ext4 image mounted on a loop device (never the root file system; removed again on exit),
# and generate a tree pair on it. Needs root for the loop mount.
#
# Environment: PELTO_BENCH_BUILD (build folder, default build-bench), PELTO_BENCH_SEED (default 1).

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bench_build=${PELTO_BENCH_BUILD:-$bench_root/build-bench}

# bench_require TOOL...: root and the named tools, or the script ends.
bench_require() {
    if [ "$(id -u)" != 0 ]; then
        echo "$0: needs root to mount the benchmark image" >&2
        exit 1
    fi
    local tool
    for tool in mkfs.ext4 mount "$@"; do
        command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
    done
}

# bench_compile TARGET...: a Release build of the named targets, without the tests.
bench_compile() {
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$bench_root" -B "$bench_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DPELTO_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
    cmake --build "$bench_build" --target "$@" >/dev/null
}

# bench_mount SIZE [mkfs.ext4 options]: makes and mounts the image at $bench_mnt; the image and
# its folder go when the script ends.
bench_mount() {
    local size=$1
    shift
    bench_work=$(mktemp -d /tmp/pelto-bench.XXXXXX)
    bench_mnt=$bench_work/mnt
    trap bench_cleanup EXIT INT TERM
    truncate -s "$size" "$bench_work/trees.img"
    mkfs.ext4 -q -F "$@" "$bench_work/trees.img"
    mkdir "$bench_mnt"
    mount -o loop "$bench_work/trees.img" "$bench_mnt"
}

bench_cleanup() {
    if mountpoint -q "$bench_mnt" 2>/dev/null; then
        umount "$bench_mnt" || umount -l "$bench_mnt"
    fi
    rm -rf "$bench_work"
}

# bench_mount_pair SIZE SMALL LARGE: an image for a tree pair of that size (small, large or huge)
# with the given image size for small and large pairs.
bench_mount_pair() {
    case $1 in
    # One inode per 4 KiB: the trees hold many small files.
    small) bench_mount "$2" -i 4096 ;;
    large) bench_mount "$3" -i 4096 ;;
    # Sparse files take no blocks: the inodes decide (two trees of about a million files each).
    huge) bench_mount 16G -N 2600000 ;;
    *) echo "$0: unknown size $1 (small, large or huge)" >&2; exit 2 ;;
    esac
}

# bench_generate SIZE: the tree pair in $bench_mnt/trees (src, dst, expect.txt), written out.
bench_generate() {
    "$bench_build/bench/compare/pelto-treegen" --size "$1" --seed "${PELTO_BENCH_SEED:-1}" \
        "$bench_mnt/trees"
    sync
}

# bench_repeat REPEATS COMMAND...: runs the benchmark command REPEATS times, then lists the
# goal lines (ratios and peak memory) of every run.
bench_repeat() {
    local repeats=$1 k
    shift
    local log=$bench_work/runs.log
    for ((k = 1; k <= repeats; ++k)); do
        echo "=== run $k of $repeats"
        "$@" | tee -a "$log"
    done
    if [ "$repeats" -gt 1 ]; then
        echo "=== goal lines of the $repeats runs"
        grep -E '^(ratio|rss) ' "$log"
    fi
}
