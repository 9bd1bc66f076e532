#!/usr/bin/env bash
# The built Pellator.framework as Apple's own tools read it: its slices
# (lipo), linked libraries (otool -L), install name, versions and minimum
# system (otool -l), exports (nm -gU) for each slice, the bundle's signature
# (codesign), and its dSYM: each slice's UUID in it (dwarfdump), and getSpecs
# named from it with its source line (atos) at the address where specs-host
# of that processor finds it loaded, on a Mac that runs the slice.
# usage: apple_tools_test.sh FRAMEWORK_DIR INSTALL_NAME SPECS_HOST
set -u
framework=$1 installName=$2 host=$3
library=$framework/Versions/A/Pellator
dwarf=$framework.dSYM/Contents/Resources/DWARF/Pellator
line=$(grep -n '^extern "C" long getSpecs(' "$(dirname "$0")/../../../interface/entry_points.cpp" | cut -d: -f1)
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
  # Xcode, atos and crash reporters take the dSYM whose UUID is the slice's.
  check "$arch: the dSYM's UUID is the slice's" "$(command LC_UUID | awk '$1 == "uuid" {print $2}')" \
    "$(dwarfdump --uuid "$dwarf" | awk -v a="($arch)" '$3 == a {print $2}')"
  if arch "-$arch" /usr/bin/true 2>/dev/null; then
    read -r address start < <(arch "-$arch" "$host" --library "$framework/Pellator" --where getSpecs)
    check "$arch: atos names getSpecs from the dSYM, where specs-host found it loaded" \
      "getSpecs (in Pellator) (entry_points.cpp:$line)" "$(atos -o "$dwarf" -arch "$arch" -l "$start" "$address")"
  else
    echo "$arch: atos not run: this Mac runs no $arch code"
  fi
done
check "codesign accepts the bundle" "0" "$(codesign --verify --strict --verbose=2 "$framework" >&2; echo $?)"
details=$(codesign --display --verbose=2 "$framework" 2>&1)
check "signed as a bundle holding both slices" "yes" \
  "$(grep -q '^Format=bundle with Mach-O universal (x86_64 arm64)' <<<"$details" && echo yes || echo "$details")"
finish
