#!/usr/bin/env bash
# During getSpecs under Wine the process's DPI awareness is not requested: none
# of the three setters GLFW's Windows init picks from is called. Wine's relay
# channel, narrowed to them, shows every such call, also through GetProcAddress;
# the program's own SetProcessDPIAware afterwards proves that it does.
# usage: dpi_trace_test.sh WINE PROGRAM DLL_WINDOWS_PATH
set -u
wine=$1 program=$2 dll=$3
. "$(dirname "$0")/../check.sh"
# shellcheck source=trace.sh
. "$(dirname "$0")/trace.sh"

# Read at start by processes with relay on, this one's alone; removed after.
key='HKCU\Software\Wine\Debug'
setters='user32.SetProcessDPIAware;user32.SetProcessDpiAwarenessContext;shcore.SetProcessDpiAwareness'
"$wine" reg add "$key" /v RelayInclude /t REG_SZ /d "$setters;user32.IsProcessDPIAware" /f >/dev/null 2>&1
check "the relay filter is set" "0" "$?"
trap '"$wine" reg delete "$key" /v RelayInclude /f >/dev/null 2>&1' EXIT

run_trace +relay
calls() { grep -E ":Call (${setters//;/|})\(" <<<"$1"; }  # calls TRACE
check "no DPI setter called during getSpecs" "" "$(calls "$during" | head -n3)"
check "the relay channel shows the control call" "yes" \
  "$(calls "$control" | grep -q 'user32.SetProcessDPIAware(' && echo yes)"
finish
