#!/usr/bin/env bash
# system_dlls_only.sh BUILD_DIR: every .exe of the Windows build imports only DLLs that come with
# Windows (it is linked statically: no libstdc++, libgcc or winpthread DLL to ship beside it).
set -u
build="$1"
objdump=x86_64-w64-mingw32-objdump
system='^(kernel32|user32|gdi32|advapi32|comdlg32|comctl32|shell32|shlwapi|ole32|oleaut32|setupapi|psapi|msvcrt|ws2_32|uxtheme|dwmapi|imm32|winmm|version|cfgmgr32|bcrypt|ntdll)\.dll$'
status=0
count=0
while IFS= read -r -d '' exe; do
  count=$((count + 1))
  if ! "$objdump" -p "$exe" | grep -q "file format pei-x86-64"; then
    echo "$exe: not a PE32+ x86-64 program"
    status=1
  fi
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system"; then
      echo "$exe: imports $dll, which does not come with Windows"
      status=1
    fi
  done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done < <(find "$build" -name '*.exe' -not -path '*/wine/*' -not -path '*/CMakeFiles/*' -print0)
if [ "$count" -eq 0 ]; then
  echo "no .exe under $build"
  exit 1
fi
[ $status -eq 0 ] && echo "$count programs import only Windows' own DLLs"
exit $status
