#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed pelto-cli with HOME in a
# sandbox: it finds its data in <prefix>/share/pelto, keeps its error log beside itself while
# its folder is writable and in ~/.local/share/Pelto when the folder is read-only (a read-only
# bind mount in a private mount namespace; skipped, exit 77, where that cannot be made). The
# installed desktop entry and AppStream metainfo must pass their validators.
# Usage: install-test.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }
# Nothing here may touch the real user's home.
export HOME=$tmp/home XDG_CACHE_HOME=$tmp/home/.cache XDG_DATA_HOME= XDG_CONFIG_HOME=$tmp/home/.config

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/pelto bin/pelto-cli bin/pelto-traceview share/pelto/Media/Ding.wav \
    share/applications/pelto.desktop share/metainfo/org.pelto.Pelto.metainfo.xml \
    share/icons/hicolor/scalable/apps/pelto.svg share/icons/hicolor/256x256/apps/pelto.png \
    share/man/man1/pelto-cli.1; do
    [ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ ! -e "$prefix/share/pelto/linux" ] || fail "desktop files installed as data"
desktop-file-validate "$prefix/share/applications/pelto.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.pelto.Pelto.metainfo.xml" >/dev/null

# One run of the installed pelto-cli in the sandbox: its --version, then a check that logs an
# error (a missing source). Prints the --version text.
run_cli() {
    env -i PATH="$PATH" HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" \
        "$prefix/bin/pelto-cli" --version
    env -i PATH="$PATH" HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" \
        "$prefix/bin/pelto-cli" check "$tmp/missing" "$tmp" >/dev/null 2>&1 && fail "check passed"
    return 0
}
# expect_folder VERSION_TEXT FOLDER: the program folder in use is FOLDER and holds the log.
expect_folder() {
    grep -qxF "Program folder: $2/" <<<"$1" || fail "expected program folder $2, got: $1"
    grep -qF "Source directory not found" "$2/Error Log.txt" || fail "no error log in $2"
    grep -qxF "Data folder: $prefix/share/pelto" <<<"$1" || fail "data folder not found: $1"
}

version=$(run_cli)
expect_folder "$version" "$prefix/bin"
rm "$prefix/bin/Error Log.txt"

# Read-only program folder: the run happens inside a private mount namespace, so the bind
# mount vanishes with it.
skip() { echo "SKIP: no read-only bind mount here (needs root and mount namespaces)"; exit 77; }
unshare --mount true 2>/dev/null || skip
export -f run_cli fail
export prefix tmp
status=0
version=$(unshare --mount --propagation private bash -c '
    mount --bind "$prefix/bin" "$prefix/bin" && mount -o remount,ro,bind "$prefix/bin" || exit 77
    run_cli') || status=$?
[ "$status" = 77 ] && skip
[ "$status" = 0 ] || fail "read-only run failed"
expect_folder "$version" "$tmp/home/.local/share/Pelto"
[ ! -e "$prefix/bin/Error Log.txt" ] || fail "error log written beside a read-only program"
echo "PASS"
