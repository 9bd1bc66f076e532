#!/usr/bin/env bash
# One structural check of a built Pellator.framework, read with llvm's own
# Mach-O tools; exits non-zero with the reason when the check fails.
# usage: check_framework.sh CHECK FRAMEWORK_DIR INSTALL_NAME LLVM_BIN_SUFFIX ARCH...
#   Checks of the whole file, given every slice it must hold:
#     layout | slices | header-room | dsym (Pellator.framework.dSYM beside it)
#   Checks of one slice, given its architecture (x86_64 or arm64):
#     header | minimum-system | install-name | exports | linked-libraries |
#     load-paths | binding | brand-source | stack-protector | signature (arm64) |
#     dsym-uuid | dsym-symbols | debug-map
set -euo pipefail
check=$1 framework=$2 installName=$3 suffix=$4
shift 4
architectures=("$@")
arch=${architectures[0]}
library=$framework/Versions/A/Pellator
dsym=$framework.dSYM
dwarf=$dsym/Contents/Resources/DWARF/Pellator
sources=$(cd "$(dirname "$0")/../../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL ($check${arch:+, $arch}): $*" >&2; exit 1; }
lipo() { "llvm-lipo$suffix" "$@"; }
# The first value for the x86_64 slice, the second for arm64.
bySlice() { if [ "$arch" = arm64 ]; then echo "$2"; else echo "$1"; fi; }

# llvm-objdump reads only the host's slice of a universal file unless told
# which, and exits 0 when the slice named is absent; so every read names the
# slice, and slice checks first make sure that it is there.
objdump() { "llvm-objdump$suffix" --macho --arch="$arch" "$@" "$library"; }
requireSlice() {
  lipo "$library" -verify_arch "$arch" 2>/dev/null || fail "no $arch slice in $(lipo -archs "$library")"
}
requireDsym() { [ -f "$dwarf" ] || fail "no Pellator.framework.dSYM/Contents/Resources/DWARF/Pellator beside the framework"; }

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

# Each library load or search path that dyld could resolve outside the system,
# one a line: a load command other than a plain, weak or re-exporting one, a
# name that is no absolute system path (@rpath, @loader_path, ...), any LC_RPATH.
loadPathFaults() {
  objdump --private-headers | awk '
    /^ *cmd LC_/ { cmd = $2 }
    cmd == "LC_RPATH" && $1 == "path" { print "LC_RPATH " $2 }
    cmd ~ /DYLIB$/ && cmd != "LC_ID_DYLIB" && $1 == "name" {
      if (cmd != "LC_LOAD_DYLIB" && cmd != "LC_LOAD_WEAK_DYLIB" && cmd != "LC_REEXPORT_DYLIB") print cmd " " $2
      else if ($2 !~ /^\/(System\/Library|usr\/lib)\// || $2 ~ /\/\.\.?\//) print cmd " " $2
    }'
}

exportedNames() { objdump --exports-trie | awk '/^0x/ { print $2 }' | sort | tr '\n' ' '; }
installName() { objdump --dylib-id | sed -n '2p'; }
# "dylib symbol" for every bound import.
bindings() { objdump --bind --lazy-bind --weak-bind | awk '/^__/ { print $(NF-1), $NF }'; }

# A big-endian 32-bit word and a byte of FILE at OFFSET: code-signing blobs
# are big-endian whatever the processor.
word() { od -An -tu1 -j"$2" -N4 "$1" | awk '{ printf "%.0f\n", (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'; }
byte() { od -An -tu1 -j"$2" -N1 "$1" | tr -d ' '; }

# The code signature that Apple Silicon requires of every page it runs: an
# ad-hoc, linker-made CodeDirectory whose SHA-256 page hashes, recomputed here
# with sha256sum, match the slice's own bytes up to the signature.
checkSignature() {
  local thin=$work/$arch.thin sig superblob count directory flags hashOffset identOffset slots codeLimit hashSize hashType pageShift
  lipo "$library" -thin "$arch" -output "$thin" 2>/dev/null || cp "$library" "$thin"
  sig=$(objdump --private-headers | awk '/cmd LC_CODE_SIGNATURE/ { s = 1 } s && $1 == "dataoff" { print $2; exit }')
  [ -n "$sig" ] || fail "no LC_CODE_SIGNATURE"
  superblob=$(word "$thin" "$sig")
  [ "$superblob" -eq $((0xfade0cc0)) ] || fail "signature is no embedded-signature superblob (magic $superblob)"
  count=$(word "$thin" $((sig + 8)))
  directory=
  for ((i = 0; i < count; i++)); do
    # Index entries: slot type, then the blob's offset; the CodeDirectory is slot 0.
    if [ "$(word "$thin" $((sig + 12 + 8 * i)))" -eq 0 ]; then directory=$((sig + $(word "$thin" $((sig + 16 + 8 * i))))); fi
  done
  [ -n "$directory" ] || fail "signature has no CodeDirectory"
  [ "$(word "$thin" "$directory")" -eq $((0xfade0c02)) ] || fail "slot 0 is not a CodeDirectory"
  flags=$(word "$thin" $((directory + 12)))
  hashOffset=$(word "$thin" $((directory + 16)))
  identOffset=$(word "$thin" $((directory + 20)))
  slots=$(word "$thin" $((directory + 28)))
  codeLimit=$(word "$thin" $((directory + 32)))
  hashSize=$(byte "$thin" $((directory + 36)))
  hashType=$(byte "$thin" $((directory + 37)))
  pageShift=$(byte "$thin" $((directory + 39)))
  # 0x2 ad hoc (no certificate), 0x20000 made by the linker.
  [ $((flags & 0x20002)) -eq $((0x20002)) ] || fail "CodeDirectory flags $(printf 0x%x "$flags"), not ad hoc and linker-signed"
  [ "$hashType/$hashSize/$pageShift" = "2/32/12" ] || fail "hashes are not SHA-256 over 4 KiB pages ($hashType/$hashSize/$pageShift)"
  [ "$codeLimit" -eq "$sig" ] || fail "signature covers $codeLimit bytes, not all $sig before it"
  [ "$slots" -eq $(((codeLimit + 4095) / 4096)) ] || fail "$slots page hashes for $codeLimit bytes"
  identifier=$(dd if="$thin" bs=1 skip=$((directory + identOffset)) count=64 2>/dev/null | tr '\0' '\n' | head -n1)
  [ "$identifier" = Pellator ] || fail "signing identifier is '$identifier'"
  for ((page = 0; page < slots; page++)); do
    expected=$(od -An -tx1 -v -j$((directory + hashOffset + 32 * page)) -N32 "$thin" | tr -d ' \n')
    actual=$(dd if="$thin" bs=4096 skip="$page" count=1 2>/dev/null |
             head -c $((codeLimit - 4096 * page)) | sha256sum | cut -d' ' -f1)
    [ "$actual" = "$expected" ] || fail "page $page does not match its hash in the signature"
  done
  echo "$arch signature: ad hoc, linker-signed, identifier $identifier, $slots pages verified"
}

case $check in
layout)
  arch=
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
slices)
  arch=
  archs=$(lipo -archs "$library" | xargs)
  [ "$archs" = "${architectures[*]}" ] || fail "slices are '$archs', not '${architectures[*]}'"
  if [ ${#architectures[@]} -gt 1 ]; then
    # The kernel maps each slice straight from the file: its offset must be a
    # whole number of the processor's pages (16 KiB on Apple Silicon).
    while read -r name offset; do
      page=$(arch=$name bySlice 4096 16384)
      [ $((offset % page)) -eq 0 ] || fail "$name slice at offset $offset, not on a $page-byte page"
    done < <("llvm-objdump$suffix" --macho --universal-headers "$library" |
             awk '$1 == "architecture" { a = $2 } $1 == "offset" { print a, $2 }')
  fi
  ;;
header)
  requireSlice
  header=$(machHeader)
  set -- $header
  cpu=$(bySlice X86_64 ARM64)
  [ "$1 $2 $5" = "MH_MAGIC_64 $cpu DYLIB" ] || fail "not a 64-bit $arch Mach-O dylib: $header"
  ;;
install-name)
  requireSlice
  id=$(installName)
  [ "$id" = "$installName" ] || fail "install name is '$id', not '$installName'"
  versions=$(objdump --private-headers | grep -A5 'cmd LC_ID_DYLIB' | grep -E 'current version|compatibility version' | awk '{print $1, $3}' | tr '\n' ' ')
  [ "$versions" = "current 1.0.0 compatibility 1.0.0 " ] || fail "LC_ID_DYLIB versions: $versions"
  ;;
minimum-system)
  requireSlice
  # arm64 came with macOS 11.0, so that is its slice's first system.
  expected=$(bySlice "macos 10.15" "macos 11.0")
  headers=$(objdump --private-headers)
  minimum=$(awk '/cmd LC_BUILD_VERSION/ { b = 1 } b && $1 == "platform" { p = $2 } b && $1 == "minos" { print p, $2; exit }
                 /cmd LC_VERSION_MIN_MACOSX/ { v = 1 } v && $1 == "version" { print "macos", $2; exit }' <<<"$headers")
  [ "$minimum" = "$expected" ] || fail "minimum system is '$minimum', not $expected"
  ;;
exports)
  requireSlice
  exports=$(exportedNames)
  [ "$exports" = "_ESFreeMem _ESGetVersion _ESInitialize _ESTerminate _getSpecs _sample " ] ||
    fail "exports are: $exports"
  ;;
linked-libraries)
  requireSlice
  libraries=$(linkedLibraries | sort | tr '\n' ' ')
  expected="/System/Library/Frameworks/CoreGraphics.framework/Versions/A/CoreGraphics /System/Library/Frameworks/Foundation.framework/Versions/C/Foundation /System/Library/Frameworks/Metal.framework/Versions/A/Metal /usr/lib/libSystem.B.dylib /usr/lib/libc++.1.dylib /usr/lib/libobjc.A.dylib "
  [ "$libraries" = "$expected" ] || fail "linked libraries are: $libraries"
  ;;
load-paths)
  requireSlice
  faults=$(loadPathFaults)
  [ -z "$faults" ] && [ "$(linkedLibraries | wc -l)" -gt 0 ] || fail "loads from outside the system: $faults"
  # The reader sees what it refuses: a copy given an rpath and libc++ through @rpath.
  cp "$library" "$work/Pellator"
  "llvm-install-name-tool$suffix" -add_rpath @loader_path -change /usr/lib/libc++.1.dylib @rpath/libc++.1.dylib "$work/Pellator"
  [ "$(library=$work/Pellator loadPathFaults | wc -l)" -eq 2 ] || fail "a copy with an rpath and @rpath/libc++ passes"
  ;;
binding)
  requireSlice
  grep -qw TWOLEVEL <<<"$(machHeader)" || fail "no MH_TWOLEVEL flag"
  binds=$(bindings)
  [ -n "$binds" ] || fail "no bindings found"
  # Flat lookups would show as these pseudo-libraries instead of a real one.
  if grep -qE '^(flat-namespace|dynamic-lookup|main-executable) ' <<<"$binds"; then
    fail "flat or dynamic bindings: $(grep -E '^(flat-namespace|dynamic-lookup|main-executable) ' <<<"$binds" | tr '\n' ' ')"
  fi
  for expected in "Metal _MTLCreateSystemDefaultDevice" "Metal _MTLCopyAllDevices" "libobjc _objc_msgSend" "libobjc _objc_getClass" \
                  "libobjc _sel_registerName" "libSystem _sysctl" "libc++ __ZNSt3__16thread20hardware_concurrencyEv"; do
    grep -qxF "$expected" <<<"$binds" || fail "no binding '$expected'"
  done
  # Mach-O C names carry a leading underscore; dyld_stub_binder is the one
  # exception. A bare name here would come from a borrowed Linux header.
  bare=$(awk '$2 !~ /^_/ && $2 != "dyld_stub_binder" { print $2 }' <<<"$binds" | tr '\n' ' ')
  [ -z "$bare" ] || fail "imports without the leading underscore: $bare"
  ;;
brand-source)
  # Each slice carries its own processor's brand source: both ask the kernel
  # (x86_64 only under Rosetta 2), and only x86_64 has CPUID.
  requireSlice
  grep -qxF "libSystem _sysctlbyname" <<<"$(bindings)" || fail "no binding 'libSystem _sysctlbyname'"
  if [ "$arch" = x86_64 ]; then
    disassembly=$(objdump --disassemble)
    grep -qw cpuid <<<"$disassembly" || fail "no cpuid instruction"
  fi
  ;;
signature)
  requireSlice
  checkSignature
  ;;
stack-protector)
  # -fstack-protector-strong: a canary in every function with a local array or
  # a local whose address is taken, the entry points' calls into the frame
  # among them. clang's default protects character buffers only: the x86_64
  # slice's CPUID brand, and nothing in arm64.
  requireSlice
  grep -qxF "libSystem ___stack_chk_fail" <<<"$(bindings)" || fail "no binding 'libSystem ___stack_chk_fail'"
  disassembly=$(objdump --disassemble)
  protected=$(awk '/^[^ \t].*:$/ { name = $0 } /___stack_chk_fail/ { print name }' <<<"$disassembly" | sort -u)
  for entry in _getSpecs _sample; do
    grep -qxF "$entry:" <<<"$protected" || fail "$entry calls no stack protector"
  done
  echo "$arch: $(wc -l <<<"$protected") functions check a stack canary"
  ;;
dsym)
  arch=
  requireDsym
  grep -A1 '<key>CFBundlePackageType</key>' "$dsym/Contents/Info.plist" | grep -q '<string>dSYM</string>' ||
    fail "the dSYM's Info.plist is not a dSYM's"
  archs=$(lipo -archs "$dwarf" | xargs)
  [ "$archs" = "${architectures[*]}" ] || fail "the dSYM's slices are '$archs', not '${architectures[*]}'"
  ;;
dsym-uuid)
  # Debuggers and crash reporters take the dSYM whose UUID is the slice's.
  requireSlice
  requireDsym
  uuid=$(objdump --private-headers | awk '$1 == "uuid" { print $2; exit }')
  [ -n "$uuid" ] || fail "no LC_UUID"
  # "UUID: <uuid> (<arch>) <file>", a line for each slice.
  found=$("llvm-dwarfdump$suffix" --uuid "$dwarf" | awk -v a="($arch)" '$3 == a { print $2 }')
  [ "$found" = "$uuid" ] || fail "the dSYM's $arch UUID is '$found', the slice's $uuid"
  ;;
dsym-symbols)
  # The shipped slice names no source line itself; with the dSYM, found by
  # its UUID, the symbolizer names getSpecs's file and line.
  requireSlice
  requireDsym
  address=$(objdump --exports-trie | awk '$2 == "_getSpecs" { print $1 }')
  line=$(grep -n '^extern "C" long getSpecs(' "$sources/interface/entry_points.cpp" | cut -d: -f1)
  symbolize() { "llvm-symbolizer$suffix" --obj="$library" --default-arch="$arch" "$@" "$address" | awk 'NF' | paste -sd' ' | sed 's/:[0-9]*$//'; }
  [ "$(symbolize)" = "getSpecs ??:0" ] || fail "the slice alone gives '$(symbolize)'"
  named=$(symbolize --dsym-hint="$dsym")
  [ "$named" = "getSpecs /src/MachineSpecs/interface/entry_points.cpp:$line" ] ||
    fail "with the dSYM, getSpecs at $address is '$named', not entry_points.cpp:$line"
  ;;
debug-map)
  # The debug map (stabs, llvm-nm's type "-") names the build machine's
  # objects (OSO) and sources: it is dsymutil's, and stripped once it has run.
  requireSlice
  stabs=$("llvm-nm$suffix" --debug-syms --arch="$arch" "$library" | awk '$2 == "-"')
  [ -z "$stabs" ] || fail "$(wc -l <<<"$stabs") debug map entries left, objects: $(awk '$5 == "OSO" { print $6 }' <<<"$stabs" | head -n 3 | xargs)"
  ;;
header-room)
  # -headerpad_max_install_names leaves room for any install name; the tool
  # corrupts the file silently when there is none, so read every slice back.
  # Under its own name: the tool signs the copy anew, naming it after the file.
  mkdir "$work/renamed"
  copy=$work/renamed/Pellator
  cp "$library" "$copy"
  longName=/Users/$(printf 'n%.0s' $(seq 1 900))/Library/Frameworks/Pellator.framework/Versions/A/Pellator
  "llvm-install-name-tool$suffix" -id "$longName" "$copy"
  library=$copy
  for arch in "${architectures[@]}"; do
    requireSlice
    [ "$(installName)" = "$longName" ] || fail "the long install name did not read back"
    exports=$(exportedNames)
    [ "$exports" = "_ESFreeMem _ESGetVersion _ESInitialize _ESTerminate _getSpecs _sample " ] ||
      fail "exports after renaming: $exports"
    [ "$(linkedLibraries | wc -l)" -eq 6 ] || fail "load commands damaged by renaming"
    # The pages changed, so the linker's signature must have been remade.
    if [ "$arch" = arm64 ]; then checkSignature; fi
  done
  ;;
*)
  echo "unknown check: $check" >&2
  exit 2
  ;;
esac
