#!/usr/bin/env bash
# Where the library's debug information went, read with binutils and gdb: no
# debug sections or symbols in the library, a debug file beside it that its
# .gnu_debuglink names and its build ID matches, and through which addr2line and
# gdb turn the exports' addresses back into names and source lines, which the
# library alone cannot.
# usage: debug_file_test.sh LIBRARY
set -u
library=$1
debug_file=$library.debug
. "$(dirname "$0")/check.sh"

check "no debug sections in the library" "" \
  "$(objdump -h "$library" | awk '$2 ~ /^\.debug_/ {printf "%s ", $2}')"
check "no symbol table in the library" "no symbols" "$(objdump -t "$library" | sed -n '/^SYMBOL TABLE:/{n;p;}')"
check "the debug link names libmachinespecs.so.debug" "libmachinespecs.so.debug" \
  "$(objdump --dwarf=links "$library" | sed -n 's/^ *Separate debug info file: //p')"
build_id() { readelf -n "$1" | sed -n 's/^ *Build ID: //p'; }
check "a build ID, the same in the debug file" "yes" \
  "$([ -n "$(build_id "$library")" ] && [ "$(build_id "$library")" = "$(build_id "$debug_file")" ] &&
     echo yes || echo "no: $(build_id "$library") / $(build_id "$debug_file")")"

# Each export's address in the library names that export and a source line,
# read through the debug link (binutils 2.44, Debian 13's, adds the line's
# discriminator where the compiler gave one).
names=() addresses=()
while read -r address name; do
  names+=("$name") addresses+=("0x$address")
done < <(nm -D --defined-only "$library" | awk '{print $1, $3}')
check "six exports found to symbolise" "6" "${#names[@]}"
symbolised=$(addr2line -f -e "$library" "${addresses[@]}")
for i in "${!names[@]}"; do
  source_line=$(sed -n "$((2 * i + 2))p" <<<"$symbolised")
  check "${names[i]} at ${addresses[i]}: function" "${names[i]}" "$(sed -n "$((2 * i + 1))p" <<<"$symbolised")"
  check "${names[i]} at ${addresses[i]}: a source line" "yes" \
    "$([[ $source_line =~ \.cpp:[1-9][0-9]*( \(discriminator [0-9]+\))?$ ]] && echo yes || echo "no: $source_line")"
done

# gdb, given the library, finds getSpecs' source line in the debug file; with
# the library alone, neither gdb nor addr2line finds a line.
gdb_line() { gdb -nx -batch -iex 'set debuginfod enabled off' -ex 'info line getSpecs' "$1" 2>&1; }
check "gdb finds getSpecs' source line" "yes" \
  "$(gdb_line "$library" | grep -q '^Line [1-9][0-9]* of ".*\.cpp"' && echo yes || echo "no: $(gdb_line "$library")")"
alone=$(mktemp -d)
trap 'rm -rf "$alone"' EXIT
cp "$library" "$alone/"
check "gdb without the debug file finds none" "yes" \
  "$(gdb_line "$alone/${library##*/}" | grep -q '^No line number information' && echo yes ||
     echo "no: $(gdb_line "$alone/${library##*/}")")"
check "nor addr2line" "??:?" "$(addr2line -e "$alone/${library##*/}" "${addresses[0]}")"

echo "libmachinespecs.so: $(stat -c %s "$library") bytes; its debug file: $(stat -c %s "$debug_file") bytes"
finish
