#!/usr/bin/env bash
# scripts/package signing Kestrine.dll with a throwaway certificate made here (a
# CA and a code-signing certificate under it, from openssl, deleted after):
# osslsigncode accepts the packed DLL's signature against that CA, the signature
# attached to the DLL as built gives the same bytes, one byte changed fails
# verification, and the signed DLL still gives the unsigned one's report under
# Wine. PLATFORM is windows (x64) or windows-arm64.
# usage: signed_dll_test.sh PACKAGE OSSLSIGNCODE OPENSSL WINE DIST_DIR VERSION [PLATFORM]
set -u
package=$1 osslsigncode=$2 openssl=$3 wine=$4 dist=$5 version=$6 platform=${7:-windows}
. "$(dirname "$0")/../check.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# --- the certificate, valid for a day
"$openssl" req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Throwaway test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
  -keyout ca.key -out ca.pem 2>/dev/null
"$openssl" req -newkey rsa:2048 -nodes -subj "/CN=Throwaway Kestrine signer" \
  -keyout signer.key -out signer.csr 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
"$openssl" x509 -req -days 1 -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial \
  -extfile signer.ext -out signer.pem 2>/dev/null
"$openssl" rand -hex 16 >password
"$openssl" pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -passout file:password \
  -out signer.p12
check "a throwaway PKCS#12 file" "yes" "$([ -s signer.p12 ] && echo yes)"

# --- packed with it
mkdir -p "dist/$platform"
cp "$dist/Kestrine.dll" "$dist/Kestrine.pdb" "$dist/build-info.txt" "dist/$platform/"
KESTRINE_SIGN_PKCS12=$work/signer.p12 KESTRINE_SIGN_PASSWORD_FILE=$work/password \
  "$package" --dist dist --out out "$platform" >package.log 2>&1
status=$?
check "packed with a signature" "0" "$status"
[ "$status" -eq 0 ] || { cat package.log; finish; exit; }
name=Kestrine-$version-windows-x64 brand='[^,]+'
# Wine's ARM64 prefix names no processor: the brand is empty there.
[ "$platform" = windows-arm64 ] && name=Kestrine-$version-windows-arm64 brand='[^,]*'
unzip -q "out/$name.zip"
signed=$work/$name/Kestrine.dll
check "the archive's build information says so" "signature=Authenticode, SHA-256, not time-stamped" \
  "$(grep '^signature=' "$name/build-info.txt" | tr -d '\r')"
check "SHA256SUMS holds the archive with the signed DLL" "ok" \
  "$(cd out && sha256sum --quiet -c SHA256SUMS && echo ok)"

# --- verified against the CA, and not once changed
verified() { "$osslsigncode" verify -CAfile ca.pem -in "$1" >"$1.log" 2>&1 && echo accepted || echo refused; }
check "osslsigncode accepts the signature" "accepted" "$(verified "$signed")"
check "the DLL as built is unsigned" "refused" "$(verified "$dist/Kestrine.dll")"
"$osslsigncode" extract-signature -in "$signed" -out signature.der >/dev/null 2>&1
"$osslsigncode" attach-signature -sigin signature.der -in "$dist/Kestrine.dll" -out attached.dll >/dev/null 2>&1
check "its signature attached to the DLL as built gives the same bytes" "same" \
  "$(cmp -s attached.dll "$signed" && echo same)"
cp "$signed" changed.dll
offset=$(($(stat -c %s changed.dll) / 2))
byte=$(od -An -tu1 -j "$offset" -N1 changed.dll)
printf "\\$(printf %03o $((255 - byte)))" | dd of=changed.dll bs=1 seek="$offset" conv=notrunc 2>/dev/null
check "one byte changed" "1" "$(cmp -l changed.dll "$signed" | wc -l)"
check "fails verification" "refused" "$(verified changed.dll)"

# --- the signed DLL beside the host, under Wine
mkdir host
cp "$dist/specs-host.exe" "$signed" host/
report() { (cd / && "$wine" "$1" getSpecs 2>/dev/null) | tr -d '\r' | tail -n1; }
signed_report=$(report "$work/host/specs-host.exe")
check "the signed DLL gives the unsigned one's report" "$(report "$dist/specs-host.exe")" "$signed_report"
check "a full report: brand, processors, a graphics name, memory" "yes" \
  "$([[ $signed_report =~ ^$brand,[1-9][0-9]*,.+,[1-9][0-9]*$ ]] && echo yes || echo "no: $signed_report")"
finish
