# Checks shared by the install and package tests: given an installed prefix (/usr of an unpacked
# package, or a scratch prefix), is every file where the desktop menu and the icon theme look?
# Sourced; check_layout PREFIX [with-binary] returns non-zero and says why on the first miss.

fail() {
    echo "FAIL: $*" >&2
    return 1
}

# The value of KEY in the [Desktop Entry] group of a desktop file (the untranslated one).
desktop_value() {
    sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$2"'=//p}' "$1" | head -n 1
}

# Width and height of a PNG, read from its IHDR chunk.
png_size() {
    /usr/bin/python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read(24)
if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
    sys.exit("not a PNG: " + sys.argv[1])
print("%dx%d" % struct.unpack(">II", data[16:24]))
PY
}

check_layout() {
    local prefix=$1 with_binary=${2:-}
    local apps=$prefix/share/applications metainfo_dir=$prefix/share/metainfo icons=$prefix/share/icons/hicolor

    local desktop=$apps/pelmora.desktop
    [ -f "$desktop" ] || fail "no menu entry at $desktop" || return 1
    desktop-file-validate "$desktop" || fail "the installed menu entry does not validate" || return 1

    # The menu starts Exec from PATH: the executable must be in the prefix's bin.
    local exec icon
    exec=$(desktop_value "$desktop" Exec)
    icon=$(desktop_value "$desktop" Icon)
    [ -n "$exec" ] && [ -n "$icon" ] || fail "menu entry without Exec or Icon" || return 1
    if [ -n "$with_binary" ]; then
        [ -x "$prefix/bin/${exec%% *}" ] || fail "Exec=$exec but no executable $prefix/bin/${exec%% *}" || return 1
    fi

    # The icon theme finds Icon=NAME as hicolor/<N>x<N>/apps/NAME.png and hicolor/scalable/apps/NAME.svg.
    local size png found=0
    for size in 32x32 256x256; do
        png=$icons/$size/apps/$icon.png
        [ -f "$png" ] || fail "no $size icon at $png" || return 1
    done
    for png in "$icons"/*/apps/"$icon".png; do
        [ -f "$png" ] || continue
        size=$(basename "$(dirname "$(dirname "$png")")")
        [ "$(png_size "$png")" = "$size" ] || fail "$png is $(png_size "$png"), not $size" || return 1
        found=$((found + 1))
    done
    [ -f "$icons/scalable/apps/$icon.svg" ] || fail "no scalable icon at $icons/scalable/apps/$icon.svg" || return 1
    grep -q '<svg' "$icons/scalable/apps/$icon.svg" || fail "the scalable icon is not an SVG" || return 1

    # AppStream: one metainfo file whose launchable names the installed menu entry.
    local metainfo launchable
    metainfo=$(find "$metainfo_dir" -name '*.metainfo.xml' 2>/dev/null | head -n 1)
    [ -n "$metainfo" ] || fail "no metainfo file in $metainfo_dir" || return 1
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
    [ -f "$apps/$launchable" ] || fail "metainfo launchable '$launchable' is not in $apps" || return 1
    [ "$(basename "$metainfo" .metainfo.xml)" = "$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")" ] ||
        fail "metainfo file name does not match its id" || return 1

    [ -f "$prefix/share/doc/pelmora/copyright" ] || fail "no copyright file in share/doc/pelmora" || return 1
    if [ -n "$with_binary" ]; then
        [ -f "$prefix/share/doc/pelmora/ARPHICPL.TXT" ] || fail "no licence of the built-in font in share/doc/pelmora" || return 1
    fi
    [ -f "$prefix/share/man/man1/pelmora.1.gz" ] || fail "no man page in share/man/man1" || return 1
    [ -f "$prefix/share/man/man1/pelmora-send.1.gz" ] || fail "no man page of pelmora-send in share/man/man1" || return 1
    if [ -n "$with_binary" ]; then
        [ -x "$prefix/bin/pelmora-send" ] || fail "no pelmora-send in bin" || return 1
    fi

    echo "layout of $prefix: menu entry, $found PNG icons + SVG, metainfo, copyright, man page in place"
}
