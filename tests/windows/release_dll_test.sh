#!/usr/bin/env bash
# What the released Kestrine.dll says about itself, and where its debug
# information went: the PE header's versions (objdump), the version resource as
# Windows reads it (version.dll under Wine), no debug sections or symbols in the
# DLL, and Kestrine.pdb beside it that its CodeView record names and matches
# (llvm-readobj, llvm-pdbutil) and from which Windows' symbol engine (dbghelp,
# the SYMBOLS_EXE program under Wine) names getSpecs and a function the DLL
# does not export, at the RVA in RVA_FILE, with file and line; and what made
# it: lld, as llvm-readobj reads the header, and the release's clang
# (CLANG_FOLDER, whose llvm-readobj and llvm-pdbutil are used) for the target
# (TRIPLE), as each compile command of the build and of its GLFW (CMake's
# compile_commands.json) shows. OBJDUMP is GNU's (x64) or llvm's (ARM64);
# MINIMUM_WINDOWS is 6.0 or 10.0.
# usage: release_dll_test.sh OBJDUMP WINE VERSION_INFO_EXE SYMBOLS_EXE RVA_FILE DLL DLL_WINDOWS_PATH VERSION
#          MINIMUM_WINDOWS CLANG_FOLDER TRIPLE COMPILE_COMMANDS...
set -u
objdump=$1 wine=$2 version_info=$3 symbols_exe=$4 rva=$(cat "$5") dll=$6 dll_windows=$7 version=$8
minimum_windows=$9 clang_folder=${10} triple=${11}
shift 11
readobj=$clang_folder/llvm-readobj pdbutil=$clang_folder/llvm-pdbutil
pdb=${dll%.dll}.pdb
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

# --- debug information in Kestrine.pdb
check "no debug sections in the DLL" "" \
  "$("$objdump" -h "$dll" | awk '$2 ~ /^\.debug_/ {printf "%s ", $2}')"
# (GNU's objdump says "no symbols", llvm's nothing.)
check "no symbol table in the DLL" "" \
  "$("$objdump" -t "$dll" | sed -n '/^SYMBOL TABLE:/,$p' | sed '1d; /^no symbols$/d; /^$/d')"
# The CodeView record: the PDB's bare name, its GUID (llvm-readobj 14 gives the
# raw bytes, the first three fields little-endian; 19 the GUID itself, in
# braces) and age, against the PDB's own header.
record=$("$readobj" --coff-debug-directory "$dll")
check "the DLL's CodeView record names a bare Kestrine.pdb" "Kestrine.pdb" \
  "$(awk '$1 == "PDBFileName:" {print $2}' <<<"$record")"
record_id=$(awk '$1 == "PDBGUID:" && $2 ~ /^[{]/ {gsub(/[{}]/, "", $2); printf "%s", $2; next}
  $1 == "PDBGUID:" {gsub(/[()]/, ""); b = ""; for (i = 2; i <= 17; i++) b = b $i
    printf "%s-%s-%s-%s-%s", substr(b, 7, 2) substr(b, 5, 2) substr(b, 3, 2) substr(b, 1, 2),
      substr(b, 11, 2) substr(b, 9, 2), substr(b, 15, 2) substr(b, 13, 2), substr(b, 17, 4), substr(b, 21)}
  $1 == "PDBAge:" {print " " $2}' <<<"$record")
summary=$("$pdbutil" dump --summary "$pdb")
check "the PDB's GUID and age are the record's" "$record_id" \
  "$(awk '$1 == "GUID:" {gsub(/[{}]/, "", $2); guid = $2} $1 == "Age:" {age = $2} END {print guid, age}' <<<"$summary")"
# lld's /Brepro: the header's time is a hash of the content, never 0.
check "TimeDateStamp is a content hash (a Repro entry), not 0" "Repro yes" \
  "$(awk '$1 == "Type:" && $2 == "Repro" {printf "Repro "}' <<<"$record")$("$readobj" --file-headers "$dll" |
    awk '$1 == "TimeDateStamp:" {print ($NF == "(0x0)" ? "no" : "yes"); exit}')"

# Windows' symbol engine, given the DLL's folder: the PDB's names, files and
# lines at each export (as the export table lists them) and at a function the
# DLL does not export; none from the DLL alone.
exports=$("$objdump" -p "$dll" | awk -f "$(dirname "$0")/pe_exports.awk" | awk '$1 != "dll" {print $2}' | sort)
check "six exports found to look up" "6" "$(wc -w <<<"$exports")"
# shellcheck disable=SC2086 # the export names, one word each
symbols=$("$wine" "$symbols_exe" "$dll_windows" $exports "$rva" | tr -d '\r')
echo "$symbols"
. "$(dirname "$0")/symbols_check.sh"
# shellcheck disable=SC2046 # the same
check_symbols "$symbols" $(for name in $exports; do echo "$name:$name"; done) "$rva:joinReport"
alone=$(mktemp -d)
trap 'rm -rf "$alone"' EXIT
cp "$dll" "$alone/"
alone_symbols=$("$wine" "$symbols_exe" "Z:${alone//\//\\}\\Kestrine.dll" getSpecs "$rva" | tr -d '\r')
# (Wine 8 says SymExport, the ARM64 Wine 10 SymNone.)
check "without the PDB: no PDB read and no source lines" "no PDB; ??:0 ??:0" \
  "$(grep -qx type=SymPdb <<<"$alone_symbols" && echo PDB || echo no PDB); $(sed -n "s/^\(getSpecs\|$rva\)=[^ ]* //p" <<<"$alone_symbols" | paste -sd' ')"

echo "Kestrine.dll: $(stat -c %s "$dll") bytes; Kestrine.pdb: $(stat -c %s "$pdb") bytes"
finish
