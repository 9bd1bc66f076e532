#!/usr/bin/env bash
# The planting test under Wine. Wine is told to prefer a DLL beside the program
# for exactly the names that are no KnownDLL, so it searches for them as
# Windows does; KnownDLL names are left alone, as Wine has none and would load
# a copy that Windows never would. shcore, a KnownDLL from Windows 10 on, is
# planted for older systems; Wine would load it beside the program for its own
# shell32, so it is held to Wine's builtin, as Windows 10 maps it from System32.
# Wine's loaddll channel then shows every module each process maps: each must
# come from C:\windows\system32 but the program, its copy as the host, Kestrine
# and the host's own opengl32.dll.
# usage: dll_search_test.sh WINE PROGRAM DLL PLANTED_DLL PROXY_DLL (the last three as Windows paths)
set -u
wine=$1 program=$2
shift 2
. "$(dirname "$0")/../check.sh"

names=opengl32,dwmapi,dinput8,xinput1_4,xinput1_3,xinput9_1_0,xinput1_2,xinput1_1,vulkan-1
raw=$(mktemp)
WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}$names=n,b;shcore=b" WINEDEBUG=+loaddll \
  "$wine" "$program" "$@" 2>"$raw" | tr -d '\r'
check "the program's checks pass" "0" "${PIPESTATUS[0]}"
# Loaded L"C:\\windows\\system32\\user32.dll" at ...: as the channel prints it.
loaded=$(tr -d '\r' <"$raw" | sed -n 's/.*:loaddll:.* Loaded L"\([^"]*\)".*/\1/p' | sed 's/\\\\/\\/g')
rm -f "$raw"
ours='\\kestrine-dll-search-[0-9]+\\(host\\search-host\.exe|kestrine\\Kestrine\.dll|own\\opengl32\.dll)$'
check "the trace shows Kestrine loaded by each host" "3" "$(grep -cE '\\Kestrine\.dll$' <<<"$loaded")"
check "every other module comes from C:\\windows\\system32" "" \
  "$(grep -viE '^C:\\windows\\system32\\' <<<"$loaded" | grep -vE "$ours" |
     grep -vF "$(basename "$program")")"
finish
