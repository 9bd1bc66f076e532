#!/usr/bin/env bash
# Kestrine.dll on a real Windows machine, with the real loader and Windows' own
# OpenGL: what the Linux build cross-built, run by CI's windows job in Git's
# bash. specs-host.exe's report is checked against Windows' own answers (WMI,
# through PowerShell), then the test programs that ctest runs under Wine run
# here as they are. Wine's trace tests and the tests that read the files with
# Linux tools stay with the Wine run. Windows' dbghelp reads the PDB beside
# the DLL.
# Without a GPU driver Windows offers OpenGL 1.1 only, so the probe's 3.3
# window fails and the graphics name is the display adapter's: the programs
# are told so (--no-window). Tests that need an interactive desktop say so and
# are skipped where the session has none.
# The heap-exhaustion test runs a second time under the strictest Control Flow
# Guard and CET policies the machine takes (strict CFG; where the processor
# keeps shadow stacks, no DLL without the CET mark and strict shadow stacks),
# which Wine does not enforce: getSpecs, sample and the exceptions thrown and
# caught inside the DLL under them. A machine without shadow stacks prints a
# SKIP line for CET.
# On Windows on Arm the brand is the registry's ProcessorNameString, for both
# DLLs: given ARM64_DIST_DIR, DIST_DIR is the x64 build, which Windows runs there
# under its x64 emulation, and only the host's report is checked, its brand
# also against the ARM64 DLL's.
# usage: native_test.sh DIST_DIR PROGRAMS_DIR [ARM64_DIST_DIR]
set -u
dist=$1 programs=$2 arm64_dist=${3:-}
. "$(dirname "$0")/../check.sh"
dll=$(cygpath -w "$dist/Kestrine.dll")
version=$(sed -n 's/^version=//p' "$dist/build-info.txt" | tr -d '\r')
wmi() { powershell.exe -NoProfile -NonInteractive -Command "$1" | tr -d '\r'; }
run_host() { "$dist/specs-host.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# The machine's processor, whatever this shell runs as: AMD64 or ARM64.
machine=$(wmi "(Get-ItemProperty 'HKLM:\SYSTEM\CurrentControlSet\Control\Session Manager\Environment').PROCESSOR_ARCHITECTURE")
echo "machine: $machine"

# --- the host's report against Windows' own answers
out=$(run_host getSpecs); rc=$?
check "getSpecs exits 0" "0" "$rc"
echo "$out"
mapfile -t lines <<<"$out"
report=${lines[-1]}
brand=${report%%,*} rest=${report#*,}
cores=${rest%%,*} rest=${rest#*,}
memory=${rest##*,} graphics=${rest%,*}
window=yes
grep -qx 'Failed to create GLFW window' <<<"$out" && window=no

if [ "$machine" = ARM64 ]; then
  echo "WMI names the processor: $(wmi '(Get-CimInstance Win32_Processor | Select-Object -First 1).Name')"
  check "brand is the registry's ProcessorNameString, to the byte" \
    "$(wmi '[Console]::OutputEncoding = New-Object Text.UTF8Encoding $false  # no BOM
            (Get-ItemProperty "HKLM:\HARDWARE\DESCRIPTION\System\CentralProcessor\0").ProcessorNameString')" \
    "$brand"
else
  check "brand is the processor's name as WMI has it" \
    "$(wmi '(Get-CimInstance Win32_Processor | Select-Object -First 1).Name.Trim()')" \
    "$(sed 's/^ *//; s/ *$//' <<<"$brand")"
fi
check "processors as WMI counts them" \
  "$(wmi '(Get-CimInstance Win32_ComputerSystem).NumberOfLogicalProcessors')" "$cores"
check "memory is WMI's total physical memory in whole MiB" \
  "$(wmi '[math]::Floor((Get-CimInstance Win32_ComputerSystem).TotalPhysicalMemory / 1MB)')" "$memory"
adapters=$(wmi '(Get-CimInstance Win32_VideoController).Name')
echo "display adapters: ${adapters//$'\n'/; }"
if [ "$window" = yes ]; then
  # The OpenGL renderer: no other program here names it, so only its presence counts.
  check "a graphics name from OpenGL" "yes" "$([ -n "$graphics" ] && echo yes)"
else
  echo "No OpenGL 3.3 window here: the graphics name comes from the display adapter."
  check "the graphics name is a display adapter's, as WMI lists them" "yes" \
    "$(grep -qxF -- "$graphics" <<<"$adapters" && [ -n "$graphics" ] && echo yes || echo "no: '$graphics'")"
fi
check "console lines in order, before the report" \
  "CPU Type: $brand|Number of Cores: $cores|Total System Memory: ${memory}MB|" \
  "$(printf '%s|' "${lines[@]:0:3}")"
check "sample" "a b, edited by Tovarin" "$(run_host sample "a b")"
if [ -n "$arm64_dist" ]; then
  arm64_report=$("$arm64_dist/specs-host.exe" getSpecs | tr -d '\r' | tail -n 1)
  check "the x64 DLL under emulation names the processor as the ARM64 DLL does" "${arm64_report%%,*}" "$brand"
  finish
  exit
fi

# --- the test programs, each printing its own checks
desktop=$(wmi '[Environment]::UserInteractive')
program() {  # program NAME ARGS...: runs PROGRAMS_DIR/NAME.exe
  local name=$1
  shift
  echo "== $name $*"
  timeout 600 "$programs/$name.exe" "$@" | tr -d '\r'
  check "$name $* exits 0" "0" "${PIPESTATUS[0]}"
}
needs_desktop() {  # needs_desktop NAME ARGS...
  if [ "$desktop" = True ]; then program "$@"; else
    echo "SKIP $1: this session has no interactive desktop (its window station is not visible)"; fi
}
mode=()
[ "$window" = no ] && mode=(--no-window)
program windows_dll_test "$dll" "${mode[@]}"
program windows_host_conditions_test "$dll"
program windows_host_conditions_test "$dll" --closed-stdout
program windows_boundary_random_test "$dll" 1000000
program windows_heap_exhaustion_test "$dll"
program windows_heap_exhaustion_test "$dll" --strict-mitigations
program windows_repeat_calls "$dll" 200 1000 0,1,100,200
program windows_dll_search_test "$dll" "$(cygpath -w "$programs/opengl32_standin.dll")" "${mode[@]}"
# Windows' own dbghelp reading Kestrine.pdb beside the DLL, at getSpecs and
# at the function whose RVA llvm-pdbutil found when the tests were built.
rva=$(tr -d '\r' <"$programs/joinReport.rva")
symbols=$("$programs/windows_symbols.exe" "$dll" getSpecs "$rva" | tr -d '\r')
echo "$symbols"
. "$(dirname "$0")/symbols_check.sh"
check_symbols "$symbols" getSpecs:getSpecs "$rva:joinReport"
resource=$("$programs/windows_version_info.exe" "$dll" | tr -d '\r')
check "version resource as Windows reads it" "Kestrine $version" \
  "$(sed -n 's/^ProductName=//p' <<<"$resource") $(sed -n 's/^FileVersion=//p' <<<"$resource")"
# Windows the host shows, and focus and foreground, want a desktop to be on.
needs_desktop windows_host_glfw_test "$dll"
needs_desktop windows_host_state_test "$dll"
finish
