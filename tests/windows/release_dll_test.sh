#!/usr/bin/env bash
# What the released Kestrine.dll says about itself, and where its debug
# information went: the PE header's versions (objdump), the version resource as
# Windows reads it (version.dll under Wine), no debug sections or symbols in the
# DLL, and a debug file beside it that the DLL's .gnu_debuglink names and that
# turns the exports' addresses back into their names (addr2line); and what
# made it: lld, as llvm-readobj reads the header, and the release's clang
# (CLANG_FOLDER) for the target (TRIPLE), as each compile command of the build
# and of its GLFW (CMake's compile_commands.json) shows. OBJDUMP and ADDR2LINE
# are GNU's (x64) or llvm's (ARM64); MINIMUM_WINDOWS is 6.0 or 10.0.
# usage: release_dll_test.sh OBJDUMP ADDR2LINE WINE VERSION_INFO_EXE DLL DLL_WINDOWS_PATH VERSION MINIMUM_WINDOWS
#          READOBJ CLANG_FOLDER TRIPLE COMPILE_COMMANDS...
set -u
objdump=$1 addr2line=$2 wine=$3 version_info=$4 dll=$5 dll_windows=$6 version=$7 minimum_windows=$8
readobj=$9 clang_folder=${10} triple=${11}
shift 11
debug_file=$dll.debug
. "$(dirname "$0")/../check.sh"

header() { "$objdump" -p "$dll" | awk -v name="$1" '$1 == name {print $2; exit}'; }
IFS=. read -r major minor patch tweak <<<"$version"
quad=$major.${minor:-0}.${patch:-0}.${tweak:-0}

# --- PE header
check "minimum Windows version" "$minimum_windows" "$(header MajorOSystemVersion).$(header MinorOSystemVersion)"
check "subsystem version" "$minimum_windows" "$(header MajorSubsystemVersion).$(header MinorSubsystemVersion)"
check "image version is the project's major.minor" "$major.${minor:-0}" \
  "$(header MajorImageVersion).$(header MinorImageVersion)"

# --- what made it. lld writes linker version 14.0 whatever its own (as
# Microsoft's link.exe of that number does); GNU ld writes its own (2.40).
check "linked by lld: linker version 14.0" "14.0" "$("$readobj" --file-headers "$dll" |
  awk '$1 == "MajorLinkerVersion:" {major = $2} $1 == "MinorLinkerVersion:" {minor = $2} END {print major "." minor}')"
for commands in "$@"; do
  check "each compile command in $commands runs $clang_folder/clang for $triple" "" \
    "$(awk -F'"' -v clang="$clang_folder/clang" -v target=" --target=$triple " '$2 == "command" {n++
         split($4, word, " "); if ((word[1] != clang && word[1] != clang "++") || !index($4, target)) print word[1]}
       END {if (!n) print "none"}' "$commands" 2>&1 | sort -u | paste -sd' ')"
done

# --- version resource, as Explorer's Details tab and installers read it
resource=$("$wine" "$version_info" "$dll_windows" | tr -d '\r')
field() { sed -n "s/^$1=//p" <<<"$resource"; }
check "binary FILEVERSION" "$quad" "$(field FILEVERSION)"
check "binary PRODUCTVERSION" "$quad" "$(field PRODUCTVERSION)"
check "file type" "DLL" "$(field FILETYPE)"
check "language US English, code page Unicode" "0409 1200" "$(field Translation)"
check "FileVersion" "$version" "$(field FileVersion)"
check "ProductVersion" "$version" "$(field ProductVersion)"
check "ProductName" "Kestrine" "$(field ProductName)"
for name in FileDescription InternalName OriginalFilename; do
  check "$name" "Kestrine.dll" "$(field "$name")"
done
check "LegalCopyright is a copyright line" "yes" \
  "$([[ $(field LegalCopyright) =~ ^Copyright\ \(C\)\ [0-9]{4}\ [^\ ] ]] && echo yes || echo "no: $(field LegalCopyright)")"

# --- debug information apart
check "no debug sections in the DLL" "" \
  "$("$objdump" -h "$dll" | awk '$2 ~ /^\.debug_/ {printf "%s ", $2}')"
# (GNU's objdump says "no symbols", llvm's nothing.)
check "no symbol table in the DLL" "" \
  "$("$objdump" -t "$dll" | sed -n '/^SYMBOL TABLE:/,$p' | sed '1d; /^no symbols$/d; /^$/d')"
# .gnu_debuglink: the file's name, a NUL, padding and a checksum, from the
# section's hex dump.
debuglink=$("$objdump" -s -j .gnu_debuglink "$dll" |
  awk '$1 ~ /^[0-9a-f]+$/ && NF > 1 {for (i = 2; i <= 5 && $i ~ /^([0-9a-f][0-9a-f])+$/; i++) printf "%s", $i}' |
  sed 's/../\\x&/g')
check "the DLL's debug link names Kestrine.dll.debug" "Kestrine.dll.debug" \
  "$(printf '%b' "$debuglink" | tr '\0' '\n' | head -n1)"
check "the debug file holds DWARF line tables" "yes" \
  "$("$objdump" -h "$debug_file" | grep -q ' \.debug_line ' && echo yes || echo no)"

# Each export's address as a crash report gives it (image base + the export's
# RVA, from the released DLL) names that export in the debug file.
image_base=$(header ImageBase)
exports=$("$objdump" -p "$dll" | awk -f "$(dirname "$0")/pe_exports.awk" | awk '$1 != "dll" {print $2, $1}' | sort)
names=() addresses=()
while read -r name rva; do
  names+=("$name")
  addresses+=("$(printf '0x%x' $((0x$image_base + 0x$rva)))")
done <<<"$exports"
check "six exports found to symbolise" "6" "${#names[@]}"

symbolised=$("$addr2line" -f -e "$debug_file" "${addresses[@]}")
for i in "${!names[@]}"; do
  function_line=$(sed -n "$((2 * i + 1))p" <<<"$symbolised")
  source_line=$(sed -n "$((2 * i + 2))p" <<<"$symbolised")
  check "${names[i]} at ${addresses[i]}: function" "${names[i]}" "$function_line"
  check "${names[i]} at ${addresses[i]}: a source line" "yes" \
    "$([[ $source_line =~ \.cpp:[1-9][0-9]*$ ]] && echo yes || echo "no: $source_line")"
done

# The DLL itself, beside its debug file, is enough: the link's checksum matches.
getspecs_address=$(for i in "${!names[@]}"; do [ "${names[i]}" = getSpecs ] && echo "${addresses[i]}"; done)
check "the DLL beside its debug file names getSpecs" "getSpecs" \
  "$("$addr2line" -f -e "$dll" "$getspecs_address" | head -n1)"
# Without the debug file the DLL alone knows no names.
alone=$(mktemp -d)
trap 'rm -rf "$alone"' EXIT
cp "$dll" "$alone/"
# (llvm's addr2line names an export from the export table, but no line.)
nothing="?? ??:0"
"$addr2line" --version 2>/dev/null | grep -q LLVM && nothing="getSpecs ??:0"
check "the DLL alone names nothing" "$nothing" \
  "$("$addr2line" -f -e "$alone/$(basename "$dll")" "$getspecs_address" | head -n2 | paste -sd' ')"

echo "Kestrine.dll: $(stat -c %s "$dll") bytes; Kestrine.dll.debug: $(stat -c %s "$debug_file") bytes"
finish
