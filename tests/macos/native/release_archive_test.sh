#!/usr/bin/env bash
# The macOS release archive as a user gets it: scripts/package on this Mac
# (no identity: signed ad hoc), unpacked with ditto as Archive Utility would,
# its signature checked by codesign, its build-info.txt saying how it is
# signed, the dSYM beside the framework still matching its slices, and the
# unpacked framework giving the built one's report.
# usage: release_archive_test.sh ROOT DIST_DIR SPECS_HOST
set -u
root=$1 dist=$2 host=$3
. "$(dirname "$0")/../../check.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset PELLATOR_SIGN_IDENTITY PELLATOR_NOTARY_PROFILE

"$root/scripts/package" --dist "$(dirname "$dist")" --out "$work/out" macos
check "scripts/package macos exits 0" "0" "$?"
archive=$(cd "$work/out" && ls Pellator-*-macos-universal.zip)
name=${archive%.zip}
ditto -x -k "$work/out/$archive" "$work/unpacked"
framework=$work/unpacked/$name/Pellator.framework
check "codesign accepts the unpacked bundle" "0" "$(codesign --verify --strict --verbose=2 "$framework" >&2; echo $?)"
check "build-info.txt says it is signed ad hoc and not notarized" "signature=ad hoc notarization=none" \
  "$(sed -nE 's/^(signature=ad hoc|notarization=none).*/\1/p' "$work/unpacked/$name/build-info.txt" | xargs)"
check "the readme says where it goes and what to do when refused" "yes yes" \
  "$(grep -q 'Library/Frameworks' "$work/unpacked/$name/README.txt" && echo yes) $(
     grep -q 'xattr -dr com.apple.quarantine' "$work/unpacked/$name/README.txt" && echo yes)"
# Signing the packed copy leaves each slice's UUID, by which its dSYM is found.
uuids() { dwarfdump --uuid "$1" | awk '{print $2, $3}' | LC_ALL=C sort | xargs; }
check "the unpacked dSYM holds the unpacked slices' UUIDs" "$(uuids "$framework/Pellator")" \
  "$(uuids "$framework.dSYM/Contents/Resources/DWARF/Pellator")"
check "the unpacked framework gives the built one's report" \
  "$("$host" --library "$dist/Pellator.framework/Pellator" getSpecs)" \
  "$("$host" --library "$framework/Pellator" getSpecs)"
finish
