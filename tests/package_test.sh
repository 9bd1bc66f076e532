#!/usr/bin/env bash
# scripts/package over the deliverables that ./scripts/test has just built into
# dist/: what each archive holds (the DLLs unsigned, without a certificate),
# SHA256SUMS as sha256sum checks it, the same bytes from a later run, the macOS
# structure framework refused, and a release framework (the same bundle, marked
# as a Mac's build) packed with its links, signed ad hoc or with an identity,
# and notarized or refused by stand-ins for Apple's tools.
# usage: package_test.sh ROOT
set -u
root=$1
unset KESTRINE_SIGN_PKCS12
. "$root/tests/check.sh"
version=$(sed -n 's/^project(.* VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
llvm_version=$("$root/scripts/debian-release" llvm_version) || exit 1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
package() { "$root/scripts/package" "$@" >"$work/log" 2>&1; echo $?; }
listing() { LC_ALL=C sort | tr '\n' ' '; }

# --- Windows (x64 and ARM64) and Linux
win=Kestrine-$version-windows-x64 arm=Kestrine-$version-windows-arm64 lin=machinespecs-$version-linux-x86_64
check "windows, windows-arm64 and linux packaged" 0 "$(package --out "$work/out" windows windows-arm64 linux)"
cat "$work/log"
for zip in "$win" "$arm"; do
  check "$zip.zip holds exactly" \
    "$zip/ $zip/Kestrine.dll $zip/Kestrine.pdb $zip/LICENSE.txt $zip/README.txt $zip/build-info.txt " \
    "$(unzip -Z1 "$work/out/$zip.zip" | listing)"
done
check "the tarball holds exactly" \
  "$lin/ $lin/LICENSE $lin/README $lin/build-info.txt $lin/libmachinespecs.so $lin/libmachinespecs.so.debug $lin/specs-host " \
  "$(tar -tzf "$work/out/$lin.tar.gz" | listing)"
for file in Kestrine.dll Kestrine.pdb; do
  check "the zipped $file is the built one" "same" \
    "$(unzip -p "$work/out/$win.zip" "$win/$file" | cmp -s - "$root/dist/windows/$file" && echo same)"
  check "the ARM64 zip's $file is the ARM64 build's" "same" \
    "$(unzip -p "$work/out/$arm.zip" "$arm/$file" | cmp -s - "$root/dist/windows-arm64/$file" && echo same)"
done
for file in libmachinespecs.so libmachinespecs.so.debug; do
  check "the tarball's $file is the built one" "same" \
    "$(tar -xzOf "$work/out/$lin.tar.gz" "$lin/$file" | cmp -s - "$root/dist/linux/$file" && echo same)"
done
check "without a certificate the DLL is packed unsigned, and both say so" "yes yes" \
  "$(grep -q '^signature=none' <(unzip -p "$work/out/$win.zip" "$win/build-info.txt") && echo yes) $(
     grep -q 'Kestrine.dll packed unsigned' "$work/log" && echo yes)"
# The system that built them, as os-release names it: archives from Debian 12
# and Debian 13 differ.
built_on=$(. /etc/os-release && echo "built-on=$PRETTY_NAME")
check "each archive's build-info.txt names the version and the system that built it" \
  "version=$version|$built_on|version=$version|$built_on|version=$version|$built_on|" \
  "$({ unzip -p "$work/out/$win.zip" "$win/build-info.txt"; unzip -p "$work/out/$arm.zip" "$arm/build-info.txt"
       tar -xzOf "$work/out/$lin.tar.gz" "$lin/build-info.txt"; } | grep -v '^signature=' | tr -d '\r' | tr '\n' '|')"
readme=$(unzip -p "$work/out/$win.zip" "$win/README.txt")
check "the README names the version, no placeholder left" "yes 0" \
  "$(grep -q "^Kestrine $version for Windows" <<<"$readme" && echo yes) $(grep -c @ <<<"$readme")"
check "the README's lines end in CR LF for Notepad" "0" "$(grep -vc $'\r$' <<<"$readme")"
readme=$(unzip -p "$work/out/$arm.zip" "$arm/README.txt" | tr -d '\r')
check "the ARM64 README names its hosts and sends x64 ones to the x64 archive" "yes yes 0" \
  "$(grep -q "^Kestrine $version for Windows on Arm, ARM64" <<<"$readme" && echo yes) $(
     grep -q "Kestrine-$version-windows-x64.zip" <<<"$readme" && echo yes) $(grep -c @ <<<"$readme")"
check "SHA256SUMS names the three archives" "$arm.zip $win.zip $lin.tar.gz " \
  "$(awk '{print $2}' "$work/out/SHA256SUMS" | listing)"
check "sha256sum -c accepts SHA256SUMS" "ok" \
  "$(cd "$work/out" && sha256sum --quiet -c SHA256SUMS && echo ok)"
# Past zip's two-second time step: a time taken from the clock would differ.
sleep 2
package --out "$work/again" windows windows-arm64 linux >/dev/null
check "a later run gives the same bytes" "$(cat "$work/out/SHA256SUMS")" "$(cat "$work/again/SHA256SUMS")"

# --- macOS: the structure framework built here is no release, on a Mac or not
mac=Pellator-$version-macos-universal
check "the structure framework is refused" 1 "$(package --out "$work/mac" macos)"
check "with a reason" "yes" "$(grep -q 'structure check .*not a release' "$work/log" && echo yes || cat "$work/log")"
mkdir "$work/bin"
printf '#!/bin/sh\necho Darwin\n' >"$work/bin/uname"
# Apple's tools, standing in: codesign notes its arguments, and the notary
# service gives the answer in NOTARY_ANSWER.
printf '#!/bin/sh\necho "$*" >>"%s/codesign.log"\n' "$work" >"$work/bin/codesign"
printf '#!/bin/sh\n[ "$1 $2" = "notarytool submit" ] && echo "$NOTARY_ANSWER"\n' >"$work/bin/xcrun"
printf '#!/bin/sh\n: >"$5"\n' >"$work/bin/ditto"
# lipo is llvm's, reading the real file, but for -archs when LIPO_ARCHS gives
# another answer (printf escapes allowed).
cat >"$work/bin/lipo" <<EOF
#!/bin/sh
if [ "\$1" = -archs ] && [ -n "\${LIPO_ARCHS+set}" ]; then printf "\$LIPO_ARCHS"; else exec llvm-lipo-$llvm_version "\$@"; fi
EOF
chmod +x "$work/bin/uname" "$work/bin/codesign" "$work/bin/xcrun" "$work/bin/ditto" "$work/bin/lipo"
check "refused on a Mac too" 1 "$(PATH=$work/bin:$PATH package --out "$work/mac")"
check "nothing written" "" "$(ls "$work/mac")"

# The same bundle as a Mac's release build leaves it: packed on a Mac by default,
# with its symbolic links stored as links, and its dSYM beside it.
mkdir -p "$work/dist/macos"
cp -RP "$root/dist/macos/Pellator.framework" "$work/dist/macos/"
printf 'version=%s\nnot-a-release=\n' "$version" >"$work/dist/macos/build-info.txt"
check "a release framework without its dSYM is refused" "1 yes" \
  "$(PATH=$work/bin:$PATH package --dist "$work/dist" --out "$work/mac") $(grep -q 'missing .*Pellator.framework.dSYM' "$work/log" && echo yes)"
cp -RP "$root/dist/macos/Pellator.framework.dSYM" "$work/dist/macos/"
check "a release framework is packed on a Mac" 0 "$(PATH=$work/bin:$PATH package --dist "$work/dist" --out "$work/mac")"
check "stored as links" \
  "$mac/Pellator.framework/Pellator $mac/Pellator.framework/Resources $mac/Pellator.framework/Versions/Current " \
  "$(zipinfo "$work/mac/$mac.zip" | awk '$1 ~ /^l/ {print $NF}' | listing)"
(cd "$work/mac" && unzip -q "$mac.zip")
check "unpacked, Versions/Current links to A" "A" "$(readlink "$work/mac/$mac/Pellator.framework/Versions/Current")"
check "the library is reached through the links" "same" \
  "$(cmp -s "$work/mac/$mac/Pellator.framework/Pellator" "$root/dist/macos/Pellator.framework/Versions/A/Pellator" && echo same)"
check "the dSYM beside it is the built one" "same same" \
  "$(for file in Info.plist Resources/DWARF/Pellator; do
       cmp -s "$work/mac/$mac/Pellator.framework.dSYM/Contents/$file" "$root/dist/macos/Pellator.framework.dSYM/Contents/$file" && echo same
     done | xargs)"
signing() { sed "s|/[^ ]*/$mac/Pellator.framework|FRAMEWORK|" "$work/codesign.log"; rm -f "$work/codesign.log"; }
check "without an identity the whole bundle is signed ad hoc, then verified" \
  $'--force --sign - FRAMEWORK\n--verify --strict FRAMEWORK' "$(signing)"
check "and build-info.txt says so" "signature=ad hoc notarization=none" \
  "$(unzip -p "$work/mac/$mac.zip" "$mac/build-info.txt" | sed -n 's/^\(signature=ad hoc\|notarization=none\).*/\1/p' | xargs)"

# Named for the slices lipo lists: both, in either order and however spaced
# (Apple's lipo ends each name with a blank), or the one there is.
named=""
for answer in 'x86_64 arm64 \n' 'arm64 x86_64\n' ' x86_64\tarm64\n' 'x86_64  arm64' 'x86_64 \n' 'arm64\n'; do
  rm -rf "$work/named"
  LIPO_ARCHS=$answer PATH=$work/bin:$PATH package --dist "$work/dist" --out "$work/named" macos >/dev/null
  named+="$(cd "$work/named" && ls -- *.zip) "
done
check "named universal for both slices, else for the one" \
  "$(printf "Pellator-$version-macos-%s.zip " universal universal universal universal x86_64 arm64)" "$named"

# With a Developer ID: the hardened runtime and a time stamp; notarized when
# a profile is given, and refused unless Apple accepts it.
identity="Developer ID Application: Test (TEAM123456)"
mac_package() { PATH=$work/bin:$PATH package --dist "$work/dist" --out "$work/signed" macos; }
check "a notary profile without an identity is refused" 1 "$(PELLATOR_NOTARY_PROFILE=p mac_package)"
rm -f "$work/codesign.log"
check "refused unless Accepted" 1 "$(PELLATOR_SIGN_IDENTITY=$identity PELLATOR_NOTARY_PROFILE=p \
  NOTARY_ANSWER='{"id":"1d2e","message":"Processing complete","status":"Invalid"}' mac_package)"
check "and no archive is left" "" "$(ls "$work/signed")"
check "signed with the identity, hardened runtime, time stamp" \
  $"--force --timestamp --options runtime --sign $identity FRAMEWORK"$'\n--verify --strict FRAMEWORK' "$(signing)"
check "packed once Accepted" 0 "$(PELLATOR_SIGN_IDENTITY=$identity PELLATOR_NOTARY_PROFILE=p \
  NOTARY_ANSWER='{"id":"1d2e","message":"Processing complete","status":"Accepted"}' mac_package)"
check "build-info.txt names the identity and the submission" \
  "signature=Developer ID ($identity), hardened runtime, time-stamped|notarization=Accepted (submission 1d2e), not stapled: Gatekeeper fetches the ticket online|" \
  "$(unzip -p "$work/signed/$mac.zip" "$mac/build-info.txt" | grep -v '^version=' | tr '\n' '|')"

finish
