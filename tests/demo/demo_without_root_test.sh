#!/usr/bin/env bash
# Without root the demo cannot link under /dev: it says so, names the way out, and stops with a
# failure before it writes samples or starts anything.
set -euo pipefail
repo=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    # setpriv (util-linux) drops to nobody without needing a login shell or a password.
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env)
fi

status=0
# A copy in the scratch folder, so that the user it runs as can read it wherever the clone lies.
cp "$repo/scripts/demo" "$scratch/demo"
"${as_user[@]}" "$scratch/demo" "$scratch/build" >"$scratch/out" 2>&1 || status=$?
cat "$scratch/out"
[ $status -ne 0 ] || { echo "FAIL: the demo went on without root"; exit 1; }
grep -q 'needs root' "$scratch/out" || { echo "FAIL: the demo did not say it needs root"; exit 1; }
grep -q 'sudo make demo' "$scratch/out" || { echo "FAIL: the demo did not say how to run it"; exit 1; }
[ ! -e "$scratch/build/demo" ] || { echo "FAIL: the demo wrote files before stopping"; exit 1; }
echo "without root the demo stops with status $status and says why"
