#!/usr/bin/env bash
# Copy benchmark: builds the tools, generates the tree pair on a freshly made ext4 image mounted on
# a loop device (never on the root file system), runs bench_copy on it and removes everything
# again. Needs root for the loop mount.
#
#   bench/copy/run.sh [small|large] [runs]
#
# Environment: PELTO_BENCH_BUILD (build folder, default build-bench), PELTO_BENCH_SEED (default 1).
set -euo pipefail

size=${1:-small}
runs=${2:-5}
case $size in
small) image_size=4G ;;
large) image_size=24G ;;
*) echo "usage: $0 [small|large] [runs]" >&2; exit 2 ;;
esac
if [ "$(id -u)" != 0 ]; then
    echo "$0: needs root to mount the benchmark image" >&2
    exit 1
fi
for tool in rsync cp mkfs.ext4 mount; do
    command -v $tool >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
done

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${PELTO_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELTO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target pelto-treegen bench_copy >/dev/null

work=$(mktemp -d /tmp/pelto-bench-copy.XXXXXX)
image=$work/trees.img
mnt=$work/mnt
cleanup() {
    if mountpoint -q "$mnt" 2>/dev/null; then
        umount "$mnt" || umount -l "$mnt"
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

truncate -s "$image_size" "$image"
# One inode per 4 KiB: every copy of the trees holds tens of thousands of small files.
mkfs.ext4 -q -F -i 4096 "$image"
mkdir "$mnt"
mount -o loop "$image" "$mnt"

"$build/bench/compare/pelto-treegen" --size "$size" --seed "${PELTO_BENCH_SEED:-1}" "$mnt/trees"
mkdir "$mnt/work"
sync
"$build/bench/copy/bench_copy" --runs "$runs" "$mnt/trees/src" "$mnt/trees/dst" "$mnt/work"
