#!/usr/bin/env bash
# The PE tables a Windows loader reads: Kestrine.dll exports exactly the six
# undecorated entry points, and every program imports only DLLs that come with
# Windows itself (no libstdc++, libgcc, winpthread or GLFW beside them).
# usage: pe_tables_test.sh OBJDUMP DLL EXE...
set -u
objdump=$1 dll=$2
shift 2
. "$(dirname "$0")/../check.sh"

# The name table sits between "[Ordinal/Name Pointer] Table" and the next blank line.
exports=$("$objdump" -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
  on && NF == 0 {on = 0} on {print $NF}' | sort | tr '\n' ' ')
check "exactly six undecorated exports" "ESFreeMem ESGetVersion ESInitialize ESTerminate getSpecs sample " "$exports"
check "no export by ordinal only" "6" \
  "$("$objdump" -p "$dll" | grep -c '^\s*\[ *[0-9]*\] +base\[')"
check "export table names the DLL Kestrine.dll" "Kestrine.dll" \
  "$("$objdump" -p "$dll" | awk '/^Name / {print $NF; exit}')"

system_dlls=" kernel32.dll user32.dll gdi32.dll shell32.dll opengl32.dll msvcrt.dll advapi32.dll "
for file in "$dll" "$@"; do
  imports=$("$objdump" -p "$file" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
  check "$(basename "$file") imports something" "yes" "$([ -n "$imports" ] && echo yes || echo no)"
  for name in $imports; do
    check "$(basename "$file") imports $name, a system DLL" "yes" \
      "$([[ $system_dlls == *" $name "* ]] && echo yes || echo no)"
  done
done

finish
