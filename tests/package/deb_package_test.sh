#!/usr/bin/env bash
# The Debian package: built with CPack from the finished build (nothing is compiled again), unpacked
# with dpkg -x into a scratch root, it has every file where the menu and the icon theme look, its
# Depends name the Qt 6 widgets and serial port libraries, it recommends the CJK font (the window's own
# font is built in, with its licence beside the docs), and lintian finds no error.
# usage: deb_package_test.sh BUILD_DIR
set -euo pipefail
. "$(dirname "$0")/layout.sh"
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 || {
    cat "$scratch/cpack.log"
    fail "cpack"
}
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb") ($(stat -c %s "$deb") bytes)"

dpkg-deb -x "$deb" "$scratch/root"
check_layout "$scratch/root/usr" with-binary

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = pelmora ] || fail "Package is '$(field Package)'"
[ "$(field Section)" = electronics ] || fail "Section is '$(field Section)'"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)'"
[ "$(field Description | wc -l)" -ge 2 ] || fail "no extended description"

# Depends: the libraries come from dpkg-shlibdeps.
depends=$(field Depends)
echo "Depends: $depends"
IFS=, read -ra items <<<"$depends"
has() {
    local item
    for item in "${items[@]}"; do
        item=${item# }
        [ "${item%% *}" = "$1" ] && return 0
    done
    return 1
}
for package in libqt6widgets6 libqt6serialport6 libc6 libstdc++6; do
    has "$package" || fail "Depends lacks $package"
done
has fonts-arphic-uming && fail "Depends names fonts-arphic-uming: the window's font is built in"
[ "$(field Recommends)" = fonts-arphic-uming ] || fail "Recommends is '$(field Recommends)'"
[ -f "$scratch/root/usr/share/doc/pelmora/ARPHICPL.TXT" ] || fail "no licence of the built-in font"
# shlibdeps puts versions on what it found; a Depends typed by hand would not have them.
grep -q 'libqt6widgets6 (>= ' <<<"$depends" || fail "libqt6widgets6 has no version: not taken from the build"

# The packaged executable is stripped and links the Qt libraries it depends on.
# (Whole outputs in variables: under pipefail, grep -q ending a pipe early fails the writer.)
kind=$(file -b "$scratch/root/usr/bin/pelmora")
grep -q 'ELF.*stripped' <<<"$kind" || fail "usr/bin/pelmora is not an ELF"
grep -q 'not stripped' <<<"$kind" && fail "usr/bin/pelmora is not stripped"
needed=$(objdump -p "$scratch/root/usr/bin/pelmora")
for lib in libQt6Widgets.so.6 libQt6SerialPort.so.6; do
    grep -q "NEEDED *$lib" <<<"$needed" || fail "pelmora does not need $lib"
done

if ! command -v lintian >/dev/null; then
    echo "SKIPPED lintian: it is not installed (apt-get install lintian); every other check passed"
    exit 0
fi
# Run as root, lintian wants --allow-root. It reports tags as "E: ...", "W: ...", "I: ...";
# exit status 1 means errors, anything else above 0 that lintian itself broke down.
status=0
lintian --allow-root --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 || status=$?
sed -e '$a\' "$scratch/lintian.log"
grep -q '^E: ' "$scratch/lintian.log" && fail "lintian reports errors"
[ $status -eq 0 ] || fail "lintian exited with status $status"
echo "lintian: no errors, $(grep -c '^W: ' "$scratch/lintian.log" || true) warnings"
