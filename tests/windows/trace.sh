# shellcheck shell=bash
# Sourced by the Wine trace tests: runs the trace host with the given Wine
# debug channels and splits what they print at the host's markers, into
# $during (the two getSpecs) and $control (the host's own calls after them).
# usage: run_trace WINEDEBUG_CHANNELS   (with wine, program and dll set)
# wine, program and dll are the sourcing test's; during and control are for it.
# shellcheck disable=SC2154,SC2034
run_trace() {
  local raw trace
  raw=$(mktemp)
  WINEDEBUG=$1 "$wine" "$program" "$dll" 2>"$raw" >/dev/null
  check "the program runs" "0" "$?"
  trace=$(tr -d '\r' <"$raw")
  rm -f "$raw"
  during=$(sed -n '/^== getSpecs begins/,/^== getSpecs ends/p' <<<"$trace")
  control=$(sed -n '/^== getSpecs ends/,/^== control calls end/p' <<<"$trace")
  check "both markers are in the trace" "2" "$(grep -c '^== getSpecs' <<<"$during")"
}
