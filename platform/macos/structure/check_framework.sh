#!/usr/bin/env bash
# One structural check of a built Pellator.framework, read with llvm's own
# Mach-O tools; exits non-zero with the reason when the check fails.
# usage: check_framework.sh CHECK FRAMEWORK_DIR INSTALL_NAME LLVM_BIN_SUFFIX
#   CHECK: layout | header | install-name | minimum-system | exports |
#          linked-libraries | binding | header-room
set -euo pipefail
check=$1 framework=$2 installName=$3 suffix=$4
library=$framework/Versions/A/Pellator
objdump() { "llvm-objdump$suffix" --macho "$@" "$library"; }
fail() { echo "FAIL ($check): $*" >&2; exit 1; }

# Read whole before filtering: a reader that stops early would break the pipe.
machHeader() {
  local headers
  headers=$(objdump --private-headers)
  awk '/^MH_MAGIC/ { print; exit }' <<<"$headers"
}

# The names of every load command naming a library other than the framework's own.
linkedLibraries() {
  objdump --private-headers |
    awk '/^ *cmd LC_/ { cmd = $2 } cmd ~ /DYLIB$/ && cmd != "LC_ID_DYLIB" && $1 == "name" { print $2 }'
}

case $check in
layout)
  [ -f "$library" ] && [ ! -L "$library" ] || fail "no library file at Versions/A/Pellator"
  plist=$framework/Versions/A/Resources/Info.plist
  [ -f "$plist" ] || fail "no Versions/A/Resources/Info.plist"
  grep -A1 '<key>CFBundleExecutable</key>' "$plist" | grep -q '<string>Pellator</string>' ||
    fail "Info.plist does not name Pellator as the executable"
  grep -A1 '<key>CFBundlePackageType</key>' "$plist" | grep -q '<string>FMWK</string>' ||
    fail "Info.plist is not a framework's"
  # Relative links, so the bundle still works wherever it is copied.
  for link in "Versions/Current A" "Pellator Versions/Current/Pellator" "Resources Versions/Current/Resources"; do
    set -- $link
    [ -L "$framework/$1" ] || fail "$1 is not a symbolic link"
    [ "$(readlink "$framework/$1")" = "$2" ] || fail "$1 points to $(readlink "$framework/$1"), not $2"
    [ -e "$framework/$1" ] || fail "$1 is dangling"
  done
  entries=$(cd "$framework" && ls -A | tr '\n' ' ')
  [ "$entries" = "Pellator Resources Versions " ] || fail "unexpected top-level entries: $entries"
  ;;
header)
  header=$(machHeader)
  set -- $header
  [ "$1 $2 $5" = "MH_MAGIC_64 X86_64 DYLIB" ] || fail "not a 64-bit x86-64 Mach-O dylib: $header"
  ;;
install-name)
  id=$(objdump --dylib-id | sed -n '2p')
  [ "$id" = "$installName" ] || fail "install name is '$id', not '$installName'"
  versions=$(objdump --private-headers | grep -A5 'cmd LC_ID_DYLIB' | grep -E 'current version|compatibility version' | awk '{print $1, $3}' | tr '\n' ' ')
  [ "$versions" = "current 1.0.0 compatibility 1.0.0 " ] || fail "LC_ID_DYLIB versions: $versions"
  ;;
minimum-system)
  headers=$(objdump --private-headers)
  minimum=$(awk '/cmd LC_BUILD_VERSION/ { b = 1 } b && $1 == "platform" { p = $2 } b && $1 == "minos" { print p, $2; exit }
                 /cmd LC_VERSION_MIN_MACOSX/ { v = 1 } v && $1 == "version" { print "macos", $2; exit }' <<<"$headers")
  [ "$minimum" = "macos 10.15" ] || fail "minimum system is '$minimum', not macos 10.15"
  ;;
exports)
  exports=$(objdump --exports-trie | awk '/^0x/ { print $2 }' | sort | tr '\n' ' ')
  [ "$exports" = "_ESFreeMem _ESGetVersion _ESInitialize _ESTerminate _getSpecs _sample " ] ||
    fail "exports are: $exports"
  ;;
linked-libraries)
  libraries=$(linkedLibraries | sort | tr '\n' ' ')
  expected="/System/Library/Frameworks/Foundation.framework/Versions/C/Foundation /System/Library/Frameworks/Metal.framework/Versions/A/Metal /usr/lib/libSystem.B.dylib /usr/lib/libc++.1.dylib /usr/lib/libobjc.A.dylib "
  [ "$libraries" = "$expected" ] || fail "linked libraries are: $libraries"
  ;;
binding)
  grep -qw TWOLEVEL <<<"$(machHeader)" || fail "no MH_TWOLEVEL flag"
  binds=$(objdump --bind --lazy-bind --weak-bind |
    awk '/^__/ { print $(NF-1), $NF }')
  [ -n "$binds" ] || fail "no bindings found"
  # Flat lookups would show as these pseudo-libraries instead of a real one.
  if grep -qE '^(flat-namespace|dynamic-lookup|main-executable) ' <<<"$binds"; then
    fail "flat or dynamic bindings: $(grep -E '^(flat-namespace|dynamic-lookup|main-executable) ' <<<"$binds" | tr '\n' ' ')"
  fi
  for expected in "Metal _MTLCreateSystemDefaultDevice" "libobjc _objc_msgSend" "libobjc _objc_getClass" \
                  "libobjc _sel_registerName" "libSystem _sysctl" "libc++ __ZNSt3__16thread20hardware_concurrencyEv"; do
    grep -qxF "$expected" <<<"$binds" || fail "no binding '$expected'"
  done
  # Mach-O C names carry a leading underscore; dyld_stub_binder is the one
  # exception. A bare name here would come from a borrowed Linux header.
  bare=$(awk '$2 !~ /^_/ && $2 != "dyld_stub_binder" { print $2 }' <<<"$binds" | tr '\n' ' ')
  [ -z "$bare" ] || fail "imports without the leading underscore: $bare"
  ;;
header-room)
  # -headerpad_max_install_names leaves room for any install name; the tool
  # corrupts the file silently when there is none, so read everything back.
  copy=$(mktemp)
  trap 'rm -f "$copy"' EXIT
  cp "$library" "$copy"
  longName=/Users/$(printf 'n%.0s' $(seq 1 900))/Library/Frameworks/Pellator.framework/Versions/A/Pellator
  "llvm-install-name-tool$suffix" -id "$longName" "$copy"
  library=$copy
  [ "$(objdump --dylib-id | sed -n '2p')" = "$longName" ] || fail "the long install name did not read back"
  exports=$(objdump --exports-trie | awk '/^0x/ { print $2 }' | sort | tr '\n' ' ')
  [ "$exports" = "_ESFreeMem _ESGetVersion _ESInitialize _ESTerminate _getSpecs _sample " ] ||
    fail "exports after renaming: $exports"
  [ "$(linkedLibraries | wc -l)" -eq 5 ] || fail "load commands damaged by renaming"
  ;;
*)
  echo "unknown check: $check" >&2
  exit 2
  ;;
esac
