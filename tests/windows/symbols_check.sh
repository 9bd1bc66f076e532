# shellcheck shell=bash
# Checks what windows_symbols (symbols.c) printed for Kestrine.dll beside its
# PDB: dbghelp read the PDB (SymPdb), and named each function asked for by
# name, with a source file under the PDB's fixed source folder and a line of
# that file, as this checkout has it, at most three below one naming the
# function. Sourced by
# release_dll_test.sh (Wine) and native_test.sh (Windows), after check.sh.
# usage: check_symbols OUTPUT WHAT:NAME...  (WHAT as symbols was asked: an
#        export's name or an RVA)
check_symbols() {
  local output=$1 sources entry what name found path line
  shift
  sources=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  check "dbghelp read Kestrine.pdb" "SymPdb Kestrine.pdb" \
    "$(sed -n 's/^type=//p' <<<"$output") $(sed -n 's/^pdb=//p' <<<"$output" | sed 's/.*[\\/]//')"
  for entry in "$@"; do
    what=${entry%%:*} name=${entry#*:}
    found=$(sed -n "s/^$what=//p" <<<"$output")  # NAME FILE:LINE
    path=${found#* } line=${found##*:}
    path=${path%:*} path=${path//\\//}
    check "$name at $what: its name" "$name" "${found%% *}"
    check "$name at $what: a source file of ours" "yes" \
      "$([[ $path == */src/MachineSpecs/* && -f $sources/${path##*/src/MachineSpecs/} ]] && echo yes || echo "no: $path")"
    # (The function's first instruction may belong to a line of its body.)
    check "$name at $what: its line is at its opening or just below" "yes" \
      "$( ((${line:-0} > 0)) && sed -n "$((line > 3 ? line - 3 : 1)),${line}p" "$sources/${path##*/src/MachineSpecs/}" 2>/dev/null |
         grep -qw "$name" && echo yes || echo "no: line $line")"
  done
}
