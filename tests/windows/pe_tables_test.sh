#!/usr/bin/env bash
# The PE tables a Windows loader reads: Kestrine.dll exports exactly the six
# undecorated entry points, and every program imports only DLLs that come with
# Windows itself (no libstdc++, libgcc, winpthread, libc++ or GLFW beside them).
# OBJDUMP is GNU's (x64) or llvm's (ARM64). With --checked-imports (x64), every
# function the DLL imports must be on that list of functions checked against
# the oldest Windows the DLL is for. With --hardened, the DLL's hardening as
# llvm-readobj reads it: Control Flow Guard, CET (x64), the stack protector.
# usage: pe_tables_test.sh [--checked-imports LIST] [--hardened READOBJ x64|arm64] OBJDUMP DLL EXE...
set -u
checked_imports="" readobj="" architecture=""
if [ "$1" = --checked-imports ]; then checked_imports=$2; shift 2; fi
if [ "$1" = --hardened ]; then readobj=$2 architecture=$3; shift 3; fi
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

# Control Flow Guard: the header's flag, the load configuration's, every export
# a valid call target (hosts call them through GetProcAddress's pointers), and
# the guard's pointers, which Windows points at its own check, where nothing
# in the process can write them.
if [ -n "$readobj" ]; then
  headers=$("$readobj" --file-headers --coff-load-config --coff-debug-directory --section-headers "$dll")
  check "$(basename "$dll")'s DLL characteristics" \
    "DYNAMIC_BASE GUARD_CF HIGH_ENTROPY_VA NX_COMPAT" \
    "$(awk '/^ImageOptionalHeader/ {header = 1} header && /^  Characteristics \[/ {list = 1; next}
            list && /\]/ {exit} list {sub(/IMAGE_DLL_CHARACTERISTICS_/, "", $1); print $1}' <<<"$headers" |
       sort | paste -sd' ')"
  # llvm-readobj 14 prints the flags as a number, later ones name them too.
  flags=$(grep -m1 'GuardFlags' <<<"$headers" | grep -o '0x[0-9A-Fa-f]*' | head -n1)
  for flag in CF_INSTRUMENTED:0x100 CF_FUNCTION_TABLE_PRESENT:0x400 CF_LONGJUMP_TABLE_PRESENT:0x10000; do
    check "GuardFlags (${flags:-none}) has ${flag%:*}" yes \
      "$([ $(( ${flags:-0} & ${flag#*:} )) -ne 0 ] && echo yes || echo no)"
  done
  base=$(awk '$1 == "ImageBase:" {print $2; exit}' <<<"$headers")
  targets=$(awk '/^GuardFidTable \[/ {list = 1; next} list && /^\]/ {exit} list {print toupper($1)}' <<<"$headers")
  unguarded=$(awk '$1 != "dll" {print $1, $2}' <<<"$table" | while read -r rva name; do
    grep -qx "$(printf '0X%X' $((base + 0x$rva)))" <<<"$targets" || echo "$name"; done | paste -sd' ')
  check "every export is in the guard's function table" "" "$unguarded"

  # Whether the section that holds a virtual address is writable.
  sections=$(awk '$1 == "Section" {section = 1} $1 == "VirtualSize:" {size = $2} $1 == "VirtualAddress:" {start = $2}
    section && $1 == "Characteristics" {print start, size, substr($3, 2, length($3) - 2)}' <<<"$headers")
  writable() {
    while read -r start size flags; do
      if [ $(($1 - base)) -ge $((start)) ] && [ $(($1 - base)) -lt $((start + size)) ]; then
        [ $((flags & 0x80000000)) -ne 0 ] && echo writable || echo read-only
        return
      fi
    done <<<"$sections"
    echo "in no section"
  }
  pointers=(GuardCFCheckFunction)
  [ "$architecture" = x64 ] && pointers+=(GuardCFCheckDispatch)
  for pointer in "${pointers[@]}"; do
    address=$(awk -v field="$pointer:" '$1 == field {print $2; exit}' <<<"$headers")
    check "$pointer ($address) lies in a read-only section" read-only "$(writable "${address:-0}")"
  done

  # CET's shadow stacks are x64's: the extended DLL characteristics entry says
  # the DLL is compatible.
  if [ "$architecture" = x64 ]; then
    check "marked CET compatible" yes \
      "$(grep -q 'IMAGE_DLL_CHARACTERISTICS_EX_CET_COMPAT' <<<"$headers" && echo yes || echo no)"
  fi

  # getSpecs, which keeps locals whose address is taken, checks its canary on
  # the way out: after its return comes the call to the failure, which ends the
  # process with __fastfail (x64 int 0x29, ARM64 brk #0xf003).
  disassemble() { "$objdump" -d --no-show-raw-insn --start-address="$1" --stop-address=$(($1 + $2)) "$dll"; }
  entry=$(awk '$2 == "getSpecs" {print $1}' <<<"$table")
  failure=$(disassemble $((base + 0x${entry:-0})) 4096 |
    awk '/\tret/ {returned = 1; next} returned && /\t(call|bl)[ \t]/ {
      for (i = 1; i <= NF; i++) if ($i ~ /^(0x)?[0-9a-f]+$/ && $i !~ /:$/) {print $i; exit}}')
  check "getSpecs calls a stack-protector failure that fails fast" yes \
    "$(disassemble "0x${failure#0x}" 96 2>/dev/null | grep -qE '[[:space:]](int[[:space:]]+\$0x29|brk[[:space:]]+#0xf003)' && echo yes ||
       echo "no (call after the return: ${failure:-none})")"
fi

finish
