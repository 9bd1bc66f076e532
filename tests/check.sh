# shellcheck shell=bash
# Sourced by the shell tests: named equality checks and the closing tally.
failed=0 passed=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"; fi
}
finish() {  # prints "N passed, N failed"; fails when any check did
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
