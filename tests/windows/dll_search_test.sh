#!/usr/bin/env bash
# The planting test under Wine, preferring a DLL beside the program for exactly
# the names that are no KnownDLL, as Windows does (Wine has none). Its loaddll
# channel must show every module from C:\windows\system32 but ours.
# usage: dll_search_test.sh WINE PROGRAM DLL STANDIN_DLL (both as Windows paths)
set -u
wine=$1 program=$2
shift 2
. "$(dirname "$0")/../check.sh"

names=opengl32,dwmapi,dinput8,xinput1_4,xinput1_3,xinput9_1_0,xinput1_2,xinput1_1,vulkan-1
raw=$(mktemp)
WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}$names=n,b" WINEDEBUG=+loaddll \
  "$wine" "$program" "$@" 2>"$raw" | tr -d '\r'
check "the program's checks pass" "0" "${PIPESTATUS[0]}"
loaded=$(tr -d '\r' <"$raw" | sed -n 's/.*:loaddll:.* Loaded L"\([^"]*\)".*/\1/p' | sed 's/\\\\/\\/g')
rm -f "$raw"
ours='\\kestrine-dll-search-[0-9]+\\(host\\search-host\.exe|kestrine\\Kestrine\.dll|own\\opengl32\.dll)$'
check "the trace shows Kestrine loaded by each host" "3" "$(grep -cE '\\Kestrine\.dll$' <<<"$loaded")"
check "every other module comes from C:\\windows\\system32" "" \
  "$(grep -viE '^C:\\windows\\system32\\' <<<"$loaded" | grep -vE "$ours" |
     grep -vF "$(basename "$program")")"
finish
