#!/usr/bin/env bash
# getSpecs against an X server that has no GLX: the window cannot be made, so
# the graphics field is empty, the call returns 0 and the host lives on.
# usage: no_glx_test.sh HOST LIBRARY
set -u
report=$(xvfb-run -a -s "-screen 0 640x480x24 -noreset -extension GLX" \
  "$1" --library "$2" getSpecs 2>&1); rc=$?
if [ "$rc" -eq 0 ] && [ "$(cut -d, -f3 <<<"$report")" == "" ] && [ "$(tr -cd , <<<"$report")" == ",,," ]; then
  echo "1 passed, 0 failed"; exit 0
fi
echo "exit $rc, report: $report"; echo "0 passed, 1 failed"; exit 1
