#!/usr/bin/env bash
# The folders of src/ include one another one way only: the core knows no platform, session,
# window or program; the session no Qt, window or program; the seams nothing above them; the
# windows no program. Prints every include that breaks this and fails.
set -u
src="$1/src"
status=0
check() {  # check FOLDER PATTERN WHAT
  local hits
  hits=$(grep -rnE "^#include [<\"]($2)" "$src/$1" 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "src/$1 must not include $3:"
    echo "$hits"
    status=1
  fi
}
for core in show colour download; do
  check "$core" 'platform/|session/|ui/|app/|Q[A-Z]|qt' "the platform, the session, a window, the program or Qt"
done
check session 'ui/|app/|Q[A-Z]|qt' "a window, the program or Qt"
check platform 'show/|colour/|download/|session/|ui/' "the core, the session or a window"
check ui 'app/' "the program"
[ $status -eq 0 ] && echo "includes run one way"
exit $status
