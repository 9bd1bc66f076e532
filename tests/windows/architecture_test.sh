#!/usr/bin/env bash
# The suite runs the architecture it is built for: the DLL and the probe
# program are that processor's PE files (the header's machine field), and the
# probe, run under the Wine on PATH, says it was built for it and runs on it.
# For ARM64, the ARM64 Wine refuses an x64 program: what passes there ran
# AArch64 code, not x64 code under some emulation.
# usage: architecture_test.sh WINE x64|arm64 DLL PROBE_EXE [X64_PROBE_EXE]
set -u
wine=$1 arch=$2 dll=$3 probe=$4 x64_probe=${5:-}
. "$(dirname "$0")/../check.sh"

# IMAGE_FILE_HEADER.Machine, after the "PE\0\0" that e_lfanew (offset 60) points at.
machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  case $(od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' ') in
    8664) echo x64 ;; aa64) echo arm64 ;; *) echo other ;;
  esac
}
run() { (cd / && "$wine" "$1" 2>/dev/null) | tr -d '\r'; return "${PIPESTATUS[0]}"; }

check "Kestrine.dll is an $arch PE file" "$arch" "$(machine "$dll")"
check "the probe is an $arch PE file" "$arch" "$(machine "$probe")"
check "the probe runs as $arch code on an $arch Windows" "built for $arch, running on $arch" "$(run "$probe")"
if [ -n "$x64_probe" ]; then
  check "the x64 probe is an x64 PE file" "x64" "$(machine "$x64_probe")"
  out=$(run "$x64_probe"); status=$?
  check "the $arch Wine refuses an x64 program" "refused" \
    "$([ "$status" -ne 0 ] && [[ $out != *"built for"* ]] && echo refused || echo "ran (status $status): $out")"
fi
finish
