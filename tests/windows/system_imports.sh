#!/usr/bin/env bash
# zarn.exe is one file: every DLL it imports must be one that Windows itself ships, so that nothing of
# the compiler (libstdc++, libgcc, winpthread) has to sit beside it.
# Usage: system_imports.sh ZARN_EXE OBJDUMP
set -u
[ $# -eq 2 ] || { echo "usage: $0 ZARN_EXE OBJDUMP" >&2; exit 2; }
exe=$1
objdump=$2

system_dlls=" advapi32.dll ddraw.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll winmm.dll "

imports=$("$objdump" -p "$exe" | awk '/DLL Name:/ { print tolower($3) }')
[ -n "$imports" ] || { echo "FAIL: no imports found in $exe"; exit 1; }
status=0
for dll in $imports; do
  if [[ "$system_dlls" == *" $dll "* ]]; then
    echo "imports $dll"
  else
    echo "FAIL: imports $dll, which Windows does not ship"
    status=1
  fi
done
[ $status = 0 ] && echo "PASS"
exit $status
