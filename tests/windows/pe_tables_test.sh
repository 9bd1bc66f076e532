#!/usr/bin/env bash
# The PE tables a Windows loader reads: Kestrine.dll exports exactly the six
# undecorated entry points, and every program imports only DLLs that come with
# Windows itself (no libstdc++, libgcc, winpthread, libc++ or GLFW beside them).
# OBJDUMP is GNU's (x64) or llvm's (ARM64). With --checked-imports (x64), every
# function the DLL imports must be on that list of functions checked against
# the oldest Windows the DLL is for.
# usage: pe_tables_test.sh [--checked-imports LIST] OBJDUMP DLL EXE...
set -u
checked_imports=""
if [ "$1" = --checked-imports ]; then checked_imports=$2; shift 2; fi
objdump=$1 dll=$2
shift 2
. "$(dirname "$0")/../check.sh"

table=$("$objdump" -p "$dll" | awk -f "$(dirname "$0")/pe_exports.awk")
exports=$(awk '$1 != "dll" {print $2}' <<<"$table" | sort | tr '\n' ' ')
check "exactly six undecorated exports" "ESFreeMem ESGetVersion ESInitialize ESTerminate getSpecs sample " "$exports"
check "no export by ordinal only" "6" "$(awk '$1 != "dll" && $2 != "-"' <<<"$table" | wc -l)"
check "export table names the DLL Kestrine.dll" "Kestrine.dll" "$(awk '$1 == "dll" {print $2}' <<<"$table")"

# Processor groups came with Windows 7, IsWow64Process2 with Windows 10 1709:
# the DLL looks them up as it runs, so that the x64 DLL still loads on Windows
# Vista.
check "no function newer than Vista imported by name" "" "$("$objdump" -p "$dll" |
  awk '$NF ~ /^(GetActiveProcessorCount|GetActiveProcessorGroupCount|GetLogicalProcessorInformationEx|IsWow64Process2)$/')"

# Only KnownDLLs (Windows 7's), mapped from System32 whatever lies beside the
# host; any other (opengl32) is looked for in the host's folder first. The C
# runtime is msvcrt.dll (x64), or UCRT's API sets (ARM64), which the loader resolves.
system_dlls=" kernel32.dll user32.dll gdi32.dll shell32.dll msvcrt.dll advapi32.dll ole32.dll "
ucrt_sets=" heap runtime stdio string convert locale time multibyte environment utility math filesystem private "
for file in "$dll" "$@"; do
  imports=$("$objdump" -p "$file" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
  check "$(basename "$file") imports something" "yes" "$([ -n "$imports" ] && echo yes || echo no)"
  for name in $imports; do
    set_name=${name#api-ms-win-crt-}
    check "$(basename "$file") imports $name, a KnownDLL" "yes" \
      "$([[ $system_dlls == *" $name "* || ( $name =~ ^api-ms-win-crt-[a-z]+-l1-1-0\.dll$ &&
              $ucrt_sets == *" ${set_name%%-*} "* ) ]] && echo yes || echo no)"
  done
done

# Each imported function (GNU objdump's import tables: "DLL Name:", then a line
# for each function, its address first, after a tab or, from binutils 2.44, blanks,
# and its name last) against the checked list; DLL names in any case.
if [ -n "$checked_imports" ]; then
  imported=$("$objdump" -p "$dll" | awk '/^\tDLL Name:/ {dll = tolower($3); next}
    dll != "" && /^\t[0-9a-f]+[\t ]/ {print dll, $NF} /^$/ {dll = ""}' | sort -u)
  check "$(basename "$dll") imports functions by name" "yes" "$([ -n "$imported" ] && echo yes || echo no)"
  check "every function $(basename "$dll") imports is on $(basename "$checked_imports")" "" \
    "$(comm -23 <(echo "$imported") <(awk '!/^#/ && NF == 2 {print tolower($1), $2}' "$checked_imports" | sort -u) |
       paste -sd' ')"
fi

finish
