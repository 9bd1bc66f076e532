#!/usr/bin/env bash
# The Mac path rehearsed on Linux: ./scripts/test, ./scripts/run and
# scripts/package take their Darwin branches, and the Mac's own tests
# (tests/macos/native/) run through ctest, on two fake Macs (machines/): an
# Apple silicon Mac with Rosetta 2 and a Metal GPU, and a virtual Intel Mac
# with neither Metal nor sha256sum. A Mac's PATH holds the stand-ins for
# Apple's tools (bin/) and, of this machine's tools, only those a Mac has too:
# no apt, dpkg, sudo, nproc, timeout or GNU date. Its cmake builds the macos
# preset with the structure build's compilers (bin/cmake). Then the scripts'
# messages for a missing tool, the Mac's test of one slice where Rosetta is
# missing or Metal has a GPU that the framework does not name, and the lint's
# check for what Apple's bash 3.2 lacks.
# usage: rehearse.sh ROOT
set -u
root=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$root/tests/check.sh"
# shellcheck source=standin.sh
. "$here/standin.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(sed -n 's/^project(.* VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
llvm_version=$("$root/scripts/debian-release" llvm_version) || exit 1

# The tree as it stands, changes included, without what builds leave: the
# Macs build in it as in a Mac user's clone.
tree=$work/tree
mkdir "$tree"
(cd "$root" && git ls-files -z -co --exclude-standard | tar --null -T - -cf -) | tar -C "$tree" -xf -
cp "$here/CMakeUserPresets.json" "$tree/"

# This machine's tools that every Mac has as well, BSD's or Xcode's there.
shared_tools="[ awk basename bash cat chmod cmp cp cut dd diff dirname echo env expr false find git grep gzip head id ln ls mkdir
              mktemp mv od printf pwd readlink rm sed seq sh sleep sort stat tail tar tee test touch tr true uniq unzip wc
              which xargs zip zipinfo"

# mac NAME MACHINE [FACT=VALUE...]: the Mac NAME, with the facts of
# machines/MACHINE but those given; its PATH, home and facts in $work/NAME/.
mac() {
  local dir=$work/$1 machine=$here/machines/$2 fact tool
  shift 2
  mkdir -p "$dir/bin" "$dir/home" "$dir/tmp"
  grep -v '^#' "$machine" >"$dir/machine"
  for fact in "$@"; do
    sed -i "/^${fact%%=*}\( \|$\)/d" "$dir/machine"
    echo "${fact%%=*} ${fact#*=}" >>"$dir/machine"
  done
  for tool in $shared_tools; do ln -s "$(type -P "$tool")" "$dir/bin/$tool"; done
  # macOS 15 has sha256sum; before it, shasum alone.
  [ "$(REHEARSAL_MACHINE=$dir/machine fact sha256sum)" = yes ] && ln -s "$(type -P sha256sum)" "$dir/bin/"
  ln -s "$here"/bin/* "$dir/bin/"
  [ "$(REHEARSAL_MACHINE=$dir/machine fact cmake-version)" != none ] || rm "$dir/bin/cmake"
}
# on NAME COMMAND...: COMMAND run at the top of the tree on the Mac NAME, with
# none of this machine's environment.
on() {
  local dir=$work/$1
  shift
  (cd "$tree" && env -i HOME="$dir/home" TMPDIR="$dir/tmp" USER=rehearsal PATH="$dir/bin" \
    REHEARSAL_DIR="$here" REHEARSAL_MACHINE="$dir/machine" REHEARSAL_LINUX_PATH="$PATH" \
    REHEARSAL_LLVM_VERSION="$llvm_version" "$@")
}
# What a failed step printed last.
tail_of() { echo "--- $1 (last lines)"; tail -n 30 "$1"; }

for name in apple-silicon intel; do
  echo "== $name"
  mac "$name" "$name"
  on "$name" ./scripts/test >"$work/$name-test.log" 2>&1
  status=$?
  grep -E '^(ctest \(rehearsal\)|[0-9]+% tests passed)' "$work/$name-test.log"
  [ $status -eq 0 ] || tail_of "$work/$name-test.log"
  check "$name: ./scripts/test passes" 0 "$status"
  arm64=Passed
  [ "$name" = intel ] && arm64=Skipped
  check "$name: the Mac's tests, as ctest ran them" \
    "pellator_apple_tools Passed|pellator_release_archive Passed|pellator_system_answers_arm64 $arm64|pellator_system_answers_x86_64 Passed|" \
    "$(sed -nE 's/^.*Test +#[0-9]+: ([a-z0-9_]+) \.+ *(\*\*\*)?([A-Za-z]+).*/\1 \3/p' "$work/$name-test.log" | sort | tr '\n' '|')"

  report=$(on "$name" ./scripts/run 2>"$work/$name-run.log") || tail_of "$work/$name-run.log"
  echo "./scripts/run: $report"
  case $name in
    apple-silicon) expected="Apple M2 Pro,10,Apple M2 Pro,16384" ;;
    intel) expected="Intel(R) Core(TM) i7-8700B CPU @ 3.20GHz,4,,14336" ;;
  esac
  check "$name: ./scripts/run prints this Mac's report" "$expected" "$report"

  rm -rf "$tree/dist/release"
  on "$name" ./scripts/package >"$work/$name-package.log" 2>&1 || tail_of "$work/$name-package.log"
  check "$name: scripts/package names the universal framework's archive" \
    "Pellator-$version-macos-universal.zip" "$(cd "$tree/dist/release" && ls -- *.zip)"
  check "$name: the archive holds the framework's dSYM" "Info.plist Resources/DWARF/Pellator " \
    "$(unzip -Z1 "$tree/dist/release/Pellator-$version-macos-universal.zip" |
       awk -F /Pellator.framework.dSYM/Contents/ '$2 ~ /^(Info.plist|Resources\/DWARF\/Pellator)$/ { print $2 }' | LC_ALL=C sort | tr '\n' ' ')"
  check "$name: its SHA256SUMS as sha256sum checks it" "ok" \
    "$(cd "$tree/dist/release" && sha256sum --quiet -c SHA256SUMS 2>&1 && echo ok)"
done

echo "== other Macs"
# What ./scripts/run says on a Mac that lacks a tool: its exit status and the
# hint's words, for Xcode's command-line tools, CMake, and a CMake too old.
mac no-xcode apple-silicon xcode-tools=no
mac no-cmake apple-silicon cmake-version=none
mac old-cmake apple-silicon cmake-version=3.20.6
says() {  # says MAC WORDS: ./scripts/run's exit status on MAC, and whether it said WORDS
  local said
  said=$(on "$1" ./scripts/run 2>&1 >/dev/null)
  echo "$? $(grep -qF -- "$2" <<<"$said" && echo said || echo "said: $said")"
}
check "a missing tool is named with how to get it" \
  "1 said|1 said|1 said|1 said" \
  "$(says no-xcode 'xcode-select --install')|$(says no-cmake 'brew install cmake')|$(
     says no-cmake 'CMake.app/Contents/bin')|$(says old-cmake 'CMake 3.20 is too old')"

# The Mac's own test of one slice, where the answers differ from the Macs'
# above: no Rosetta 2, no Metal device, or a framework that names no GPU
# although Metal has one.
mac no-rosetta apple-silicon rosetta=no
mac unnamed apple-silicon metal-device=
slice() {  # slice MAC ARCH: the test's exit status and its words about the GPU or the skip
  local out
  out=$(on "$1" tests/macos/native/system_answers_test.sh dist/macos/specs-host dist/macos/Pellator.framework "$2")
  echo "$? $(grep -oE '^(SKIP: .*|system_profiler lists no GPU that supports Metal \([^)]*\)|FAIL a graphics name.*)' <<<"$out")"
}
check "the x86_64 slice without Rosetta 2 is skipped, saying how to install it" \
  "77 SKIP: this Mac runs no x86_64 code: Rosetta is not installed (softwareupdate --install-rosetta)" \
  "$(slice no-rosetta x86_64)"
check "no Metal device: an empty graphics name is accepted, with the reason" \
  "0 system_profiler lists no GPU that supports Metal (chipsets: Display)" "$(slice intel x86_64)"
check "a Metal GPU the framework does not name fails the test" \
  "1 FAIL a graphics name, as system_profiler says a GPU supports Metal" "$(slice unnamed arm64)"

# The Macs above ran this machine's bash, not Apple's 3.2: for that, scripts/lint
# has tools/bash32.awk, which must refuse each construct 3.2 lacks (lines 1 to
# 7 here) and pass an array expanded as 3.2 wants it (line 8).
check "the bash 3.2 check refuses what bash 3.2 lacks" "1 2 3 4 5 6 7 " \
  "$(awk -f "$root/tools/bash32.awk" <<'EOF' | cut -d: -f2 | tr '\n' ' '
declare -A counts
local -n target=other
mapfile -t lines <file
echo "${name,,}"
echo "${lines[-1]}"
make |& tee log
for x in "${lines[@]}"; do :; done
for x in ${lines[@]+"${lines[@]}"}; do :; done
EOF
)"
finish
