# The export table of a PE file as `objdump -p` prints it, GNU's or llvm's:
# one line per export address entry that holds an address, "RVA NAME" in hex,
# NAME "-" for an entry exported by ordinal only; and "dll NAME" for the name
# the table gives the DLL. (lld 14 leaves an empty entry at ordinal 0.)
# usage: objdump -p FILE | awk -f pe_exports.awk
# GNU: "Name ... Kestrine.dll", then the address table and the name table.
/^Name / && dll == "" {dll = $NF}
/^Export Address Table -- / {table = "rva"; next}
/\[Ordinal\/Name Pointer\] Table/ {table = "name"; next}
# llvm: " DLL name: Kestrine.dll", then "Ordinal RVA Name" rows.
/^ DLL name: / {dll = $3}
/^ Ordinal +RVA +Name/ {table = "llvm"; next}
NF == 0 {table = ""}
# binutils 2.44 (Debian 13) adds a column heading, the name table's ordinals
# and hints, and zeros before the RVA: rows are taken by their first number,
# the name as the last field, the RVA without its leading zeros.
table == "rva" || table == "name" {gsub(/[][]/, " "); if ($1 !~ /^[0-9]+$/) next}
table == "rva" {v = $4; sub(/^0+/, "", v); rva[$1] = v == "" ? "0" : v; next}
table == "name" {name[$1] = $NF; next}
table == "llvm" && $2 != "0" {n++; rva[n] = substr($2, 3); name[n] = NF >= 3 ? $3 : ""}
END {
  if (dll != "") print "dll", dll
  for (i in rva) print rva[i], (i in name && name[i] != "") ? name[i] : "-"
}
