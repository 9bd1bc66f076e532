# The bash 4 constructs that Apple's bash 3.2, the one every Mac runs scripts
# with, lacks; for scripts/lint, over the scripts a Mac runs. One finding a
# line (FILE:LINE: what: the line); exits 1 when there is any. An array that
# may be empty is written ${a[@]+"${a[@]}"}: bare, bash before 4.4 calls it
# unbound under set -u, so every bare expansion is refused. Comments are not read.
function finding(what) {
  printf "%s:%d: %s: %s\n", FILENAME, FNR, what, $0
  found = 1
}
{
  code = $0
  sub(/^[[:space:]]*#.*/, "", code)
  sub(/[[:space:]]#.*$/, "", code)
  if (code ~ /(^|[^[:alnum:]_-])(declare|typeset|local|readonly)[[:space:]]+(-[[:alpha:]]+[[:space:]]+)*-[[:alpha:]]*[Agnlu]/)
    finding("declare -A, -g, -n, -l or -u (bash 4)")
  if (code ~ /(^|[;&|({[:space:]])(mapfile|readarray)([[:space:]]|$)/)
    finding("mapfile or readarray (bash 4)")
  if (code ~ /\$\{[#!]?[[:alnum:]_@*]+(\[[^]]*\])?(,|\^)/)
    finding("case conversion ${v,,} or ${v^^} (bash 4)")
  if (code ~ /[[:alnum:]_]\[-[0-9]/)
    finding("negative array index (bash 4.3)")
  if (code ~ /\|&/)
    finding("|& (bash 4)")
  bare = code
  gsub(/\$\{[[:alpha:]_][[:alnum:]_]*\[[@*]\]\+"?\$\{[[:alpha:]_][[:alnum:]_]*\[[@*]\]\}"?\}/, "", bare)
  if (bare ~ /\$\{[[:alpha:]_][[:alnum:]_]*\[[@*]\]/)
    finding("array expanded bare: write ${a[@]+\"${a[@]}\"}, as bash 3.2 under set -u wants")
}
END { exit found }
