#!/usr/bin/env bash
# The Linux build hardened as Debian hardens its packages, read by Debian's own
# checker and by nm: hardening-check (devscripts) passes on the library and the
# host, less what no build on this release can pass (scripts/debian-release);
# and, as that tool is satisfied by a single protected function, the static
# GLFW linked into the library is read member by member: those the probe's
# sequence runs through each call the stack protector, and fortified calls
# are among them.
# usage: hardening_test.sh LIBRARY HOST GLFW_ARCHIVE [HARDENING_CHECK_OPTION...]
#   (the sanitizer and fuzz builds pass --nofortify: they take no _FORTIFY_SOURCE)
set -u
library=$1 host=$2 archive=$3
shift 3
tests=$(dirname "$0")
. "$tests/check.sh"
skips=$("$tests/../scripts/debian-release" hardening_check_skips) || exit 1
# shellcheck disable=SC2206  # the skips are options, one a word
options=($skips "$@")

for file in "$library" "$host"; do
  hardening-check "${options[@]}" "$file"
  check "hardening-check ${options[*]} ${file##*/}" 0 "$?"
done

# "member symbol" for each call a member of the archive leaves to the linker.
calls=$(nm -A "$archive" 2>/dev/null | awk '$(NF-1) == "U" { n = split($1, part, ":"); print part[n-1], $NF }')
for member in init context window x11_init x11_window glx_context; do
  check "GLFW's $member.c.o calls __stack_chk_fail" yes \
    "$(grep -qxF "$member.c.o __stack_chk_fail" <<<"$calls" && echo yes || echo no)"
done
fortified=$(awk '$2 ~ /^__.+_chk$/ && $2 != "__stack_chk_fail"' <<<"$calls")
check "GLFW calls glibc's fortified functions" yes "$([ -n "$fortified" ] && echo yes || echo no)"
echo "GLFW: $(grep -c ' __stack_chk_fail$' <<<"$calls") of $(nm -A "$archive" 2>/dev/null | cut -d: -f2 | sort -u | wc -l)" \
  "members call __stack_chk_fail; fortified:" $fortified
finish
