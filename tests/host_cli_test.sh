#!/usr/bin/env bash
# The built library through the command-line host, and its dynamic symbol
# table read with binutils: what a script host would see. The brand end to end
# on processors whose brand the test chooses: qemu's x86-64 emulation runs the
# same host and library on a CPUID of its own.
# usage: host_cli_test.sh HOST LIBRARY [QEMU_X86_64]   (the brand cases need qemu)
set -u
host=$1 library=$2 qemu=${3:-}
. "$(dirname "$0")/check.sh"

exports=$(nm -D --defined-only "$library" | awk '{print $NF}' | sort | tr '\n' ' ')
check "exactly six exports" "ESFreeMem ESGetVersion ESInitialize ESTerminate getSpecs sample " "$exports"
# GLFW is linked in and private: nothing of it is defined or looked up through
# the dynamic table, and no GLFW library is loaded beside it.
check "no GLFW symbol in the dynamic table" "" "$(nm -D "$library" | grep -i glfw)"
check "no GLFW library needed" "" "$(readelf -d "$library" | grep NEEDED | grep -i glfw)"

check "--list" $'makeArray,getAverage,appendString_s,myScript_a,acceptBoolean_b\nversion 1' \
  "$("$host" --library "$library" --list)"
check "sample with bytes above 127" $'caf\xc3\xa9 \xff, edited by Tovarin' \
  "$("$host" --library "$library" sample $'caf\xc3\xa9 \xff')"
check "sample of an empty text" ", edited by Tovarin" "$("$host" --library "$library" sample "")"

out=$("$host" --library "$library" sample 2>/tmp/host_cli_err.$$); rc=$?
check "sample without a text exits 20" "20" "$rc"
check "sample without a text prints nothing" "" "$out"
check "the code is on standard error" "specs-host: sample returned 20" "$(cat /tmp/host_cli_err.$$)"
"$host" --library "$library" getSpecs extra >/dev/null 2>&1
check "getSpecs with an argument exits 20" "20" "$?"
"$host" --library "$library" ESFreeMem >/dev/null 2>&1
check "a lifecycle name is refused" "2" "$?"
"$host" --library /nonexistent/lib.so getSpecs >/dev/null 2>&1
check "a missing library exits 3" "3" "$?"
"$host" --help | grep -q '^usage: specs-host'
check "--help" "0" "$?"
# What a symbolizer is given: a shared object is linked at 0, so the entry
# point's address less the library's start is its address in the symbol table.
read -r address start < <("$host" --library "$library" --where getSpecs)
check "--where getSpecs: its address less the library's start is nm's" \
  "$(nm -D --defined-only "$library" | awk '$NF == "getSpecs" {print $1}')" "$(printf %016x $((address - start)))"

report=$("$host" --library "$library" getSpecs 2>/dev/null); rc=$?
check "getSpecs exits 0" "0" "$rc"
check "getSpecs second field is the machine's online count" "$(getconf _NPROCESSORS_ONLN)" \
  "$(cut -d, -f2 <<<"$report")"
# sysinfo's total, which a container's own /proc/meminfo leaves as it is.
check "getSpecs last field is the machine's memory in MiB" \
  "$(( $(getconf _PHYS_PAGES) * $(getconf PAGESIZE) >> 20 ))" "${report##*,}"
check "getSpecs writes nothing else to standard output" "1" "$("$host" --library "$library" getSpecs | wc -l)"

# Under qemu no display is given: the graphics field is then simply empty.
brand_on() {  # brand_on CPU_MODEL: the report's first field on that processor
  env -u DISPLAY -u LD_PRELOAD "$qemu" -cpu "$1" "$host" --library "$library" getSpecs | cut -d, -f1
}
if [ -n "$qemu" ]; then
  check "a brand with leading blanks keeps them" "  Leading Blanks CPU" \
    "$(brand_on "max,model-id=  Leading Blanks CPU")"
  long="A processor model of 56 characters: longer than 48 bytes"
  check "a brand longer than the leaves hold gives their 48 bytes" "${long:0:48}" \
    "$(brand_on "max,model-id=$long")"
  check "a processor without brand leaves gives an empty first field" "" \
    "$(brand_on qemu64,xlevel=0x80000000)"
fi

rm -f /tmp/host_cli_err.$$
finish
