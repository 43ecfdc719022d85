#!/usr/bin/env bash
# Checks that an executable is a 64-bit Windows GUI program that imports only
# DLLs every Windows has.
set -euo pipefail
exe=$1
dump=$(x86_64-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-x86-64' <<<"$dump" || { echo "not a PE32+ x86-64 file"; exit 1; }
grep -Eq 'Subsystem\s+0+2\s' <<<"$dump" || { echo "not a GUI (Windows subsystem) program"; exit 1; }
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msimg32|windowscodecs|bcrypt|crypt32|winhttp|version|winspool\.drv|msvcrt|uxtheme|dwmapi|api-ms-win-[a-z0-9-]+)\.dll$'
bad=0
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  if ! grep -Eq "$allowed" <<<"$lower"; then echo "unexpected import: $dll"; bad=1; fi
done < <(grep 'DLL Name:' <<<"$dump" | awk '{print $3}')
[ $bad -eq 0 ] && echo "imports: $(grep 'DLL Name:' <<<"$dump" | awk '{print $3}' | tr '\n' ' ')"
exit $bad
