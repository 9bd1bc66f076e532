#!/usr/bin/env bash
# specs-host.exe under Wine, checked against sources we did not write, asked at
# the same moment: Debian's cpuid tool for the brand, which the DLL reads from
# the processor as Wine runs it; getconf for the machine's online processors
# and memory (glibc's sysconf, which asks sysinfo as Wine does); and glxinfo on
# the same display: the glxinfo on PATH, which for ARM64 is the one of the
# ARM64 Mesa that the ARM64 Wine draws with (scripts/with-wine --arm64).
# Where no OpenGL 3.3 window can be made (mode no-display runs without DISPLAY,
# mode gl-3.0 with Mesa capped at OpenGL 3.0) the graphics name is the primary
# video device's, as the registry holds it.
# usage: host_test.sh WINE HOST_EXE display|no-display|gl-3.0 [x64|arm64]
set -u
wine=$1 host=$2 mode=$3 arch=${4:-x64}
. "$(dirname "$0")/../check.sh"
# Runs the host from another folder, so the DLL is found beside the program
# and not in the working folder. Windows line ends are dropped.
run_host() {
  (cd / && case $mode in
    no-display) env -u DISPLAY "$wine" "$host" "$@" ;;
    gl-3.0) MESA_GL_VERSION_OVERRIDE=3.0 "$wine" "$host" "$@" ;;
    *) "$wine" "$host" "$@" ;;
  esac) | tr -d '\r'
  return "${PIPESTATUS[0]}"
}
# The primary video device's DriverDesc, in the key that HARDWARE\DEVICEMAP\VIDEO
# names for \Device\Video0.
primary_video_device() {
  local key
  key=$("$wine" reg query 'HKLM\HARDWARE\DEVICEMAP\VIDEO' 2>/dev/null | tr -d '\r' |
        awk '$1 == "\\Device\\Video0" && $2 == "REG_SZ" { print $3 }')
  "$wine" reg query "${key/#\\Registry\\Machine\\/HKLM\\}" /v DriverDesc 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *DriverDesc *REG_SZ *//p'
}

out=$(run_host getSpecs 2>/dev/null); rc=$?
check "getSpecs exits 0" "0" "$rc"
mapfile -t lines <<<"$out"
report=${lines[-1]}
brand=${report%%,*}
rest=${report#*,}
cores=${rest%%,*}
rest=${rest#*,}
memory=${rest##*,}
graphics=${rest%,*}

expected=("CPU Type: $brand" "Number of Cores: $cores" "Total System Memory: ${memory}MB")
[ "$mode" != display ] && expected+=("Failed to create GLFW window")
expected+=("$report")
check "console lines in order, before the report, with its figures" \
  "$(printf '%s\n' "${expected[@]}")" "$(printf '%s\n' "${lines[@]}")"

if [ "$arch" = arm64 ]; then
  # Wine's ARM64 prefix has no ProcessorNameString (windows_brand_test sets one).
  check "no brand where Windows keeps no processor name" "" "$brand"
else
  # cpuid prints the brand leaves' text as `brand = "..."`, blanks kept.
  check "brand is the processor's, as the cpuid tool reads it" \
    "$(cpuid -1 | sed -n 's/^ *brand = "\(.*\)"$/\1/p' | head -n 1)" "$brand"
  # The kernel's name is what it read at boot, which a VM moved since then
  # no longer matches: information only.
  kernel_name=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
  [ "$kernel_name" = "$(sed 's/^ *//; s/ *$//' <<<"$brand")" ] || echo "the kernel names it \"$kernel_name\""
fi
# The machine's, not this process's share of them (taskset, a cpuset), as
# Windows counts them.
check "processors are the machine's online ones" "$(getconf _NPROCESSORS_ONLN)" "$cores"
# Wine counts the physical pages that sysinfo gives from page 1, so its total
# is one page less (25276157952 bytes against 25276162048 on a 24683752 kB
# machine); the field is that in whole MiB. A container's own /proc/meminfo
# changes neither.
check "memory is Wine's total from sysinfo's, in whole MiB" \
  "$(( ($(getconf _PHYS_PAGES) - 1) * $(getconf PAGESIZE) >> 20 ))" "$memory"
if [ "$mode" != display ]; then
  adapter=$(primary_video_device)
  check "the registry names the primary video device" "yes" "$([ -n "$adapter" ] && echo yes)"
  check "graphics is the primary video device's name" "$adapter" "$graphics"
else
  check "graphics is glxinfo's renderer on the same display" \
    "$(glxinfo -B 2>/dev/null | sed -n 's/^OpenGL renderer string: //p')" "$graphics"

  check "--list" $'makeArray,getAverage,appendString_s,myScript_a,acceptBoolean_b\nversion 1' \
    "$(run_host --list)"
  check "sample" "a b, edited by Tovarin" "$(run_host sample "a b")"
  err=$(run_host sample 2>&1 >/dev/null); rc=$?
  check "sample without a text exits 20" "20" "$rc"
  check "and says so on standard error" "specs-host: sample returned 20" "$(tr -d '\r' <<<"$err")"
  run_host --library 'C:\nowhere\Kestrine.dll' getSpecs >/dev/null 2>&1
  check "a missing library exits 3" "3" "$?"
fi

finish
