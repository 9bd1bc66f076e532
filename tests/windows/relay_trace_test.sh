#!/usr/bin/env bash
# During getSpecs under Wine neither the process's DPI awareness nor the
# keyboard's dead-key state is touched: none of the three setters GLFW's
# Windows init picks from is called, and none of the calls that translate a
# key (and with flags 0 change that state) either. Wine's relay channel,
# narrowed to them, shows every such call, also through GetProcAddress; the
# program's own SetProcessDPIAware and ToUnicode afterwards prove that it does.
# usage: relay_trace_test.sh WINE PROGRAM DLL_WINDOWS_PATH
set -u
wine=$1 program=$2 dll=$3
. "$(dirname "$0")/../check.sh"
# shellcheck source=trace.sh
. "$(dirname "$0")/trace.sh"

# Read at start by processes with relay on, this one's alone; removed after.
key='HKCU\Software\Wine\Debug'
setters='user32.SetProcessDPIAware;user32.SetProcessDpiAwarenessContext;shcore.SetProcessDpiAwareness'
translators='user32.ToUnicode;user32.ToUnicodeEx;user32.ToAscii;user32.ToAsciiEx'
"$wine" reg add "$key" /v RelayInclude /t REG_SZ /d "$setters;$translators;user32.IsProcessDPIAware" /f \
  >/dev/null 2>&1
check "the relay filter is set" "0" "$?"
trap '"$wine" reg delete "$key" /v RelayInclude /f >/dev/null 2>&1' EXIT

run_trace +relay
calls() { grep -E ":Call (${1//;/|})\(" <<<"$2"; }  # calls FUNCTIONS TRACE
check "no DPI setter called during getSpecs" "" "$(calls "$setters" "$during" | head -n3)"
check "no key translated during getSpecs" "" "$(calls "$translators" "$during" | head -n3)"
check "the relay channel shows the DPI control call" "yes" \
  "$(calls "$setters" "$control" | grep -q 'user32.SetProcessDPIAware(' && echo yes)"
check "the relay channel shows the key control call" "yes" \
  "$(calls "$translators" "$control" | grep -q 'user32.ToUnicode(' && echo yes)"
finish
