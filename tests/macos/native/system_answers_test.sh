#!/usr/bin/env bash
# One slice of the built Pellator.framework on this Mac, loaded by specs-host
# of the same processor (x86_64 on Apple silicon runs under Rosetta), checked
# against the system's own answers: sysctl for the brand, the logical
# processors and the memory, system_profiler for whether Metal has a GPU to name.
# Exits 77 (skipped) when this Mac cannot run that processor's code.
# usage: system_answers_test.sh SPECS_HOST FRAMEWORK_DIR x86_64|arm64
set -u
host=$1 framework=$2 arch=$3
. "$(dirname "$0")/../../check.sh"

if ! arch "-$arch" /usr/bin/true 2>/dev/null; then
  if [ "$arch" = x86_64 ]; then
    echo "SKIP: this Mac runs no x86_64 code: Rosetta is not installed (softwareupdate --install-rosetta)"
  else
    echo "SKIP: this Mac has no Apple silicon to run the arm64 slice on"
  fi
  exit 77
fi
run_host() { arch "-$arch" "$host" --library "$framework/Pellator" "$@"; }

report=$(run_host getSpecs); rc=$?
check "getSpecs through the $arch slice exits 0" "0" "$rc"
echo "$arch slice: $report"
brand=${report%%,*} rest=${report#*,}
cores=${rest%%,*} rest=${rest#*,}
memory=${rest##*,} graphics=${rest%,*}
trim() { sed 's/^ *//; s/ *$//'; }

check "brand is machdep.cpu.brand_string" "$(sysctl -n machdep.cpu.brand_string | trim)" "$(trim <<<"$brand")"
check "processors are hw.logicalcpu" "$(sysctl -n hw.logicalcpu)" "$cores"
check "memory is hw.memsize in whole MiB" "$(( $(sysctl -n hw.memsize) / 1048576 ))" "$memory"
# A GPU that Metal can use says so under its chipset: "Metal Support: Metal 3"
# (macOS 13 and later), "Metal Family: Supported, ..." (11 and 12), "Metal:
# Supported, ..." (10.15). Virtual Macs may list a chipset with no such line,
# and Metal then has no device to name.
displays=$(system_profiler SPDisplaysDataType 2>/dev/null)
chipsets=$(sed -n 's/^ *Chipset Model: //p' <<<"$displays")
metal=$(awk '/^ *Chipset Model: / { sub(/^ *Chipset Model: /, ""); chipset = $0 }
             /^ *Metal( Support| Family)?: / && !/Not Supported|Unsupported/ { print chipset }' <<<"$displays")
if [ -n "$metal" ]; then
  echo "Metal supports: ${metal//$'\n'/; }"
  check "a graphics name, as system_profiler says a GPU supports Metal" "yes" "$([ -n "$graphics" ] && echo yes)"
else
  echo "system_profiler lists no GPU that supports Metal (chipsets: ${chipsets:-none}):" \
       "Metal may have no device, and the graphics name may be empty ('$graphics')"
fi
check "sample" "a b, edited by Tovarin" "$(run_host sample "a b")"
check "--list" $'makeArray,getAverage,appendString_s,myScript_a,acceptBoolean_b\nversion 1' "$(run_host --list)"
finish
