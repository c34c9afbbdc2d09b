#!/usr/bin/env bash
# Fails when a DLL imports anything but the system's own DLLs: the module must load on a
# machine that has no mingw runtime (libgcc, libstdc++, winpthread) or zlib DLL.
set -euo pipefail
dll=${1:?usage: check-imports.sh FILE.dll}
allowed='^(kernel32|user32|gdi32|advapi32|winspool\.drv|comctl32|comdlg32|version|rpcrt4|shell32|ole32|oleaut32|msvcrt|compstui|ws2_32|shlwapi)\.dll$|^winspool\.drv$'
imports=$(i686-w64-mingw32-objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no import table read from $dll"; exit 1; }
bad=0
while read -r name; do
  if ! [[ $name =~ $allowed ]]; then
    echo "unexpected import: $name"
    bad=1
  fi
done <<<"$imports"
[ $bad -eq 0 ] && echo "imports ok: $(echo $imports)"
exit $bad
