#!/usr/bin/env bash
# The menu entry passes desktop-file-validate without a single remark, leads with the Chinese name
# and comment, falls back to English, and names the executable, the icon and the menu categories.
set -euo pipefail
desktop=$1/data/pelmora.desktop
. "$(dirname "$0")/layout.sh"

remarks=$(desktop-file-validate "$desktop" 2>&1) || { echo "$remarks"; fail "desktop-file-validate failed"; }
[ -z "$remarks" ] || { echo "$remarks"; fail "desktop-file-validate has remarks"; }

[ "$(desktop_value "$desktop" Name)" = "Pelmora发送软件" ] || fail "Name is not the tool's title"
grep -qP '^Comment=.*\p{Han}' "$desktop" || fail "Comment is not Chinese"
# The untranslated keys come first and are the Chinese ones; English is the [en] fallback.
first_name=$(grep -m1 -E '^Name(\[|=)' "$desktop")
[ "$first_name" = "Name=Pelmora发送软件" ] || fail "the first Name line is '$first_name'"
for key in Name Comment; do
    english=$(desktop_value "$desktop" "$key\[en\]")
    [ -n "$english" ] || fail "no $key[en]"
    LC_ALL=C grep -q '^[[:print:]]*$' <<<"$english" || fail "$key[en] is not plain English: $english"
done

[ "$(desktop_value "$desktop" Categories)" = "Utility;Electronics;" ] || fail "Categories"
[ "$(desktop_value "$desktop" Exec)" = "pelmora" ] || fail "Exec"
[ "$(desktop_value "$desktop" Icon)" = "pelmora" ] || fail "Icon"
[ "$(desktop_value "$desktop" Type)" = "Application" ] || fail "Type"
echo "menu entry valid: $(desktop_value "$desktop" Name) / $(desktop_value "$desktop" 'Name\[en\]')"
