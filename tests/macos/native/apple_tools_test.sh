#!/usr/bin/env bash
# The built Pellator.framework as Apple's own tools read it: its slices
# (lipo), linked libraries (otool -L), install name, versions and minimum
# system (otool -l), exports (nm -gU) for each slice, and the bundle's
# signature (codesign).
# usage: apple_tools_test.sh FRAMEWORK_DIR INSTALL_NAME
set -u
framework=$1 installName=$2
library=$framework/Versions/A/Pellator
. "$(dirname "$0")/../../check.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check "slices" "x86_64 arm64" "$(lipo -archs "$library" | xargs)"
for arch in x86_64 arm64; do
  minimum=$([ "$arch" = arm64 ] && echo 11.0 || echo 10.15)
  # Each slice read on its own, so that no tool can answer for the other.
  slice=$work/$arch
  lipo "$library" -thin "$arch" -output "$slice" || { check "$arch: a slice of its own" "0" "$?"; continue; }
  commands=$(otool -l "$slice")
  # "name VALUE" of the load command CMD, and its fields up to the next one.
  command() { awk -v cmd="$1" '$1 == "cmd" { on = ($2 == cmd) } on && $1 != "cmd" && $1 != "cmdsize"' <<<"$commands"; }
  id=$(command LC_ID_DYLIB)
  check "$arch: install name" "$installName" "$(awk '$1 == "name" {print $2}' <<<"$id")"
  check "$arch: versions" "current 1.0.0 compatibility 1.0.0" \
    "$(awk '/current version/ {c = $3} /compatibility version/ {v = $3} END {print "current", c, "compatibility", v}' <<<"$id")"
  # otool names the platform by number (1) or, in newer Xcodes, by name.
  check "$arch: minimum macOS" "platform macos minos $minimum" \
    "$(command LC_BUILD_VERSION | awk '$1 == "platform" {p = ($2 == "1" ? "macos" : tolower($2))} $1 == "minos" {m = $2} END {print "platform", p, "minos", m}')"
  # otool -L names the library itself first, then what it links.
  check "$arch: linked libraries" \
    "/System/Library/Frameworks/CoreGraphics.framework/Versions/A/CoreGraphics /System/Library/Frameworks/Foundation.framework/Versions/C/Foundation /System/Library/Frameworks/Metal.framework/Versions/A/Metal /usr/lib/libSystem.B.dylib /usr/lib/libc++.1.dylib /usr/lib/libobjc.A.dylib " \
    "$(otool -L "$slice" | tail -n +3 | awk '{print $1}' | LC_ALL=C sort | tr '\n' ' ')"
  check "$arch: exactly the six entry points" "_ESFreeMem _ESGetVersion _ESInitialize _ESTerminate _getSpecs _sample " \
    "$(nm -gU "$slice" | awk '{print $NF}' | LC_ALL=C sort | tr '\n' ' ')"
done
check "codesign accepts the bundle" "0" "$(codesign --verify --strict --verbose=2 "$framework" >&2; echo $?)"
details=$(codesign --display --verbose=2 "$framework" 2>&1)
check "signed as a bundle holding both slices" "yes" \
  "$(grep -q '^Format=bundle with Mach-O universal (x86_64 arm64)' <<<"$details" && echo yes || echo "$details")"
finish
