#!/usr/bin/env bash
# Writes the RVA of FUNCTION, as the PDB places it (llvm-pdbutil: the
# procedure's section and offset, and that section's address), to OUT: an
# address for the symbol tests that comes from no export table and not from
# dbghelp, kept beside the test programs for the Windows machines.
# usage: function_rva.sh PDBUTIL PDB FUNCTION OUT
set -euo pipefail
pdbutil=$1 pdb=$2 function=$3 out=$4
# "SECTION_ADDRESS OFFSET": the address in hex, the offset in decimal.
read -r address offset < <("$pdbutil" dump --section-headers --symbols "$pdb" | awk -v name="$function" '
  /SECTION HEADER #/ {section = substr($3, 2)}
  / virtual address$/ {address[section] = $1}
  $3 == "S_GPROC32" && index($0, "`" name "`") && !found {getline
    found = split(substr($0, index($0, "addr = ") + 7), at, "[:,]")}
  END {if (found) print address[at[1] + 0], at[2]}') || true
[ -n "${offset:-}" ] && rva=$(printf '0x%x' $((16#$address + 10#$offset)))
[ -n "${rva:-}" ] || { echo "function_rva.sh: no procedure $function in $pdb" >&2; exit 1; }
echo "$rva" >"$out"
