#!/usr/bin/env bash
# scripts/debian-release against what the machine itself says: its LLVM is the
# one Debian's clang package depends on, built from the source package it
# names; its GCC is gcc's, its release /etc/debian_version's, and the
# hardening checks it skips are those that the release's start files and
# hardening-check leave no build to pass. A system it does not know is
# refused, naming those it does; and nothing else in the tree names an LLVM
# or libobjc version of its own.
# usage: debian_release_test.sh ROOT
set -u
root=$1
. "$root/tests/check.sh"
ask() { "$root/scripts/debian-release" "$1"; }
llvm=$(ask llvm_version) gcc=$(ask gcc_version)

check "the LLVM is the one Debian's clang package depends on" \
  "$(dpkg-query -W -f='${Depends}' clang | grep -o 'clang-[0-9]*' | head -n1)" "clang-$llvm"
check "clang-$llvm comes from the source package named for the ARM64 runtimes" \
  "$(dpkg-query -W -f='${source:Package}' "clang-$llvm")" "$(ask llvm_source)"
check "the GCC is gcc's" "$(gcc -dumpversion | cut -d. -f1)" "$gcc"
# shellcheck disable=SC2046  # the flags are words
check "clang-$llvm takes the Control Flow Guard flags named for it" "" \
  "$(echo 'void (*f)(void); void g(void) { f(); }' | "clang-$llvm" --target=x86_64-w64-mingw32 \
       $(ask clang_cfguard_flags) -Werror -fsyntax-only -x c - 2>&1)"
check "the release is /etc/debian_version's" "$(cut -d. -f1 /etc/debian_version)" "$(ask debian_release)"

# What hardening-check is told to skip, against this release's own files: CET
# where the C start files carry no CET property (the linker keeps it only when
# every object has it), Arm's branch protection where hardening-check asks
# for it.
skips=$(ask hardening_check_skips)
cet=$(for file in Scrt1.o crti.o crtn.o; do readelf -n "$(gcc -print-file-name="$file")"; done |
      grep -c 'x86 feature: IBT, SHSTK')
check "CET skipped where the start files lack it" "$([ "$cet" -eq 3 ] || echo --nocfprotection)" \
  "$(grep -o -- --nocfprotection <<<"$skips")"
check "branch protection skipped where hardening-check asks for it" \
  "$(hardening-check --help 2>&1 | grep -o -m1 -- --nobranchprotection)" "$(grep -o -- --nobranchprotection <<<"$skips")"

# Systems it does not know: another distribution, Debian testing (no VERSION_ID).
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'ID=ubuntu\nPRETTY_NAME="Ubuntu 24.04.1 LTS"\nVERSION_ID="24.04"\nVERSION_CODENAME=noble\n' >"$work/ubuntu"
printf 'ID=debian\nPRETTY_NAME="Debian GNU/Linux forky/sid"\nVERSION_CODENAME=forky\n' >"$work/testing"
for system in ubuntu testing; do
  answer=$(SPECS_OS_RELEASE=$work/$system "$root/scripts/debian-release" llvm_version 2>&1)
  check "$system is refused" 1 "$?"
  check "$system: the message names the releases known" yes \
    "$(grep -q 'know Debian 12 (bookworm) and Debian 13 (trixie)' <<<"$answer" && echo yes || echo "$answer")"
done
check "the sourcing script stops too" "1 " \
  "$(SPECS_OS_RELEASE=$work/ubuntu bash -c '. "$1/scripts/debian-release"; echo went on' - "$root" 2>/dev/null; echo "$? ")"

# The one place: scripts, CMake files, presets, tests and the workflow name no
# version of their own, nor a mingw-w64 GCC folder (the docs may).
named=$(cd "$root" && git ls-files -co --exclude-standard | grep -v -e '\.md$' -e '^scripts/debian-release$' |
  while IFS= read -r file; do [ -f "$file" ] && printf '%s\0' "$file"; done |
  xargs -0 grep -nE '(^|[^a-z0-9])(clang|clang\+\+|lld|llvm(-[a-z-]+)?|libclang-rt|libc\+\+(abi)?|libobjc)-[0-9]+([^0-9.]|$)|(^|[^a-z0-9.-])[0-9]+-win32' |
  grep -v '^tests/debian_release_test.sh:')
check "no file but scripts/debian-release names an LLVM, libobjc or mingw-w64 GCC version" "" "$named"
finish
