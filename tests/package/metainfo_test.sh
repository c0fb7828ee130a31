#!/usr/bin/env bash
# The AppStream metadata passes `appstreamcli validate --no-net --pedantic`, carries both licence
# fields, a Chinese and an English name, summary and description, and launches the menu entry.
set -euo pipefail
. "$(dirname "$0")/layout.sh"
metainfo=$(find "$1/data" -maxdepth 1 -name '*.metainfo.xml')
[ "$(wc -l <<<"$metainfo")" -eq 1 ] && [ -n "$metainfo" ] || fail "expected one metainfo file in data/, found: $metainfo"

appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate"

id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
[ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "file name does not follow the id $id"
[[ $id =~ ^[a-z0-9]+\.[a-z0-9]+\.[a-z0-9]+$ ]] || fail "id $id is not reverse-DNS"
grep -q '<metadata_license>[^<]' "$metainfo" || fail "no metadata_license"
grep -q '<project_license>[^<]' "$metainfo" || fail "no project_license"
grep -q '<launchable type="desktop-id">pelmora.desktop</launchable>' "$metainfo" || fail "launchable"
grep -q '<binary>pelmora</binary>' "$metainfo" || fail "provides binary"
for tag in name summary p; do
    grep -qP "<$tag>[\\x20-\\x7e\\s]+</$tag>|<$tag>\\s*$" "$metainfo" || fail "no English <$tag>"
    grep -qP "<$tag xml:lang=\"zh_CN\">" "$metainfo" || fail "no Chinese <$tag>"
done
grep -q '<name xml:lang="zh_CN">Pelmora发送软件</name>' "$metainfo" || fail "the Chinese name is not the tool's title"
echo "metainfo $id valid"
