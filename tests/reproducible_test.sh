#!/usr/bin/env bash
# Two builds of ROOT's files as they are now (tracked and new), from folders of
# different names and depths, one after the other, each with its own GLFW cache,
# give the same bytes: the Linux and Windows (x64 and ARM64) deliverables with
# their debug files (the DLLs' PDBs), the structure-built Pellator and its dSYM, the release
# archives and SHA256SUMS. The Windows toolchains are built once (scripts/setup-mingw-llvm)
# and copied into each tree's cache, so each build reads it from a folder of
# its own. A file that
# differs is named with what differs in it: header fields and sections (objdump),
# archive members, a PDB's records (llvm-pdbutil), or diffoscope's report where
# it is installed.
# usage: reproducible_test.sh ROOT
set -u
root=$(cd "$1" && pwd)
. "$(dirname "$0")/check.sh"
"$root/scripts/install-packages" linux windows windows-arm64 macos package
toolchains=("$("$root/scripts/setup-mingw-llvm" x64 2>/dev/null)" "$("$root/scripts/setup-mingw-llvm" arm64 2>/dev/null)")
llvm_version=$("$root/scripts/debian-release" llvm_version) || exit 1
SECONDS=0
version=$(sed -n 's/^project(.* VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
# The copies have no history: both take the time of ROOT's last commit.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build_tree() {  # build_tree TREE BUILD_FOLDER
  local tree=$1 build=$2
  mkdir -p "$tree"
  # Tracked and new files as they are now; a file deleted here stays out.
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    tar --null -T - --ignore-failed-read -cf -) | tar -xf - -C "$tree"
  # The builds may take nothing from the clock; the archives take the time of
  # the commit.
  (unset SOURCE_DATE_EPOCH KESTRINE_SIGN_PKCS12
   export SPECS_CACHE_DIR=$tree/.cache
   set -e
   for toolchain in "${toolchains[@]}"; do
     folder=$SPECS_CACHE_DIR/$(basename "$(dirname "$toolchain")")
     mkdir -p "$folder" && cp -a "$toolchain" "$folder/"
   done
   "$tree/scripts/build-linux" "$build/linux" -DSPECS_BUILD_TESTS=OFF
   "$tree/scripts/build-windows" "$build/windows" -DSPECS_BUILD_TESTS=OFF
   "$tree/scripts/build-windows" --arm64 "$build/windows-arm64" -DSPECS_BUILD_TESTS=OFF
   "$tree/scripts/build-macos" "$build/macos" -DSPECS_BUILD_TESTS=OFF
   SOURCE_DATE_EPOCH=$epoch "$tree/scripts/package" windows windows-arm64 linux) >"$tree.log" 2>&1
}
one=$work/one two=$work/the/second/tree
for tree in "$one" "$two"; do
  build_tree "$tree" "$([ "$tree" = "$one" ] && echo "$tree/build" || echo "$work/elsewhere/b")"
  status=$?
  check "$tree built" "0" "$status"
  [ "$status" -eq 0 ] || { tail -n 30 "$tree.log"; finish; exit; }
done
echo "two builds: ${SECONDS}s"

# "name offset size" of each section that has bytes in the file, in hex.
sections() {  # sections OBJDUMP FILE
  "$1" -h "$2" 2>/dev/null | awk '$1 ~ /^[0-9]+$/ {name = $2; size = $3; offset = $6; getline
    if ($0 ~ /CONTENTS/) print name, offset, size}'
}
bytes() { tail -c +$((16#$2 + 1)) "$1" | head -c $((16#$3)); }  # bytes FILE OFFSET SIZE

# What differs between an object file and its twin: the named header fields
# that objdump -p prints (PE), then each section by name.
object_differences() {  # object_differences OBJDUMP A B
  local objdump=$1 a=$2 b=$3 name offset size other found=()
  # shellcheck disable=SC2207 # header field names, one word each
  found+=($(diff <("$objdump" -p "$a" | tail -n +3) <("$objdump" -p "$b" | tail -n +3) |
            sed -n 's/^< \([A-Za-z][A-Za-z0-9/]*\)	.*/header:\1/p' | sort -u))
  while read -r name offset size; do
    other=$(sections "$objdump" "$b" | awk -v n="$name" '$1 == n {print $2, $3}')
    if [ -z "$other" ]; then found+=("$name(only-in-one)")
    elif ! cmp -s <(bytes "$a" "$offset" "$size") <(bytes "$b" $other); then found+=("$name"); fi
  done < <(sections "$objdump" "$a")
  echo "${found[*]}"
}

# A PE file's machine field in hex (8664 for x64, aa64 for ARM64).
pe_machine() { od -An -tx2 -j$(($(od -An -tu4 -j60 -N4 "$1") + 4)) -N2 "$1" | tr -d ' '; }

differences() {  # differences A B: "same", or what differs
  local a=$1 b=$2 member
  [ -f "$a" ] && [ -f "$b" ] || { echo "missing"; return; }
  cmp -s "$a" "$b" && { echo same; return; }
  if command -v diffoscope >/dev/null; then diffoscope --text - "$a" "$b" | head -n 60 >&2; fi
  case $(head -c 4 "$a" | od -An -tx1 | tr -d ' ') in
    7f454c46) echo "differs: $(object_differences objdump "$a" "$b")" ;;
    4d5a*) if [ "$(pe_machine "$a")" = aa64 ]; then  # GNU's objdump reads no ARM64 PE
             echo "differs: $(cmp -l "$a" "$b" | wc -l) bytes; header: $(diff <("llvm-readobj-$llvm_version" --file-headers "$a") \
               <("llvm-readobj-$llvm_version" --file-headers "$b") | grep '^<' | tr -s ' ' | head -n 4 | paste -sd' ')"
           else echo "differs: $(object_differences x86_64-w64-mingw32-objdump "$a" "$b")"; fi ;;
    4d696372)  # "Microsoft C/C++ MSF 7.00": a PDB, read by llvm's reader
      echo "differs: $(diff <("llvm-pdbutil-$llvm_version" dump --summary --modules --symbols --ids "$a") \
        <("llvm-pdbutil-$llvm_version" dump --summary --modules --symbols --ids "$b") | grep '^[<>]' | head -n 6 | paste -sd' ')" ;;
    504b0304)
      echo "differs in members: $(for member in $(unzip -Z1 "$a"); do
        cmp -s <(unzip -p "$a" "$member") <(unzip -p "$b" "$member" 2>/dev/null) || printf '%s ' "$member"
      done)" ;;
    1f8b*)
      echo "differs in members: $(for member in $(tar -tzf "$a" | grep -v '/$'); do
        cmp -s <(tar -xzOf "$a" "$member") <(tar -xzOf "$b" "$member" 2>/dev/null) || printf '%s ' "$member"
      done)" ;;
    *) if grep -qI . "$a"; then echo "differs: $(diff "$a" "$b" | head -n 6)"
       else echo "differs: $(cmp -l "$a" "$b" | wc -l) bytes, the first: $(cmp "$a" "$b")"; fi ;;
  esac
}

files=(linux/libmachinespecs.so linux/libmachinespecs.so.debug linux/specs-host
       windows/Kestrine.dll windows/Kestrine.pdb windows/specs-host.exe
       windows-arm64/Kestrine.dll windows-arm64/Kestrine.pdb windows-arm64/specs-host.exe
       "release/Kestrine-$version-windows-x64.zip" "release/Kestrine-$version-windows-arm64.zip"
       "release/machinespecs-$version-linux-x86_64.tar.gz"
       release/SHA256SUMS)
# shellcheck disable=SC2207 # the framework's file names have no blanks
files+=($(cd "$one/dist" && find macos/Pellator.framework macos/Pellator.framework.dSYM -type f | LC_ALL=C sort))
for file in "${files[@]}"; do
  check "$file: the same in both builds" "same" "$(differences "$one/dist/$file" "$two/dist/$file")"
done
sha() { if [ -f "$1" ]; then sha256sum <"$1" | cut -c1-64; else echo missing; fi; }
for file in "${files[@]}"; do
  a=$(sha "$one/dist/$file") b=$(sha "$two/dist/$file")
  if [ "$a" = "$b" ]; then echo "$a  $file (both builds)"; else echo "$a  $b  $file"; fi
done
echo "reproducible builds checked in ${SECONDS}s"
finish
