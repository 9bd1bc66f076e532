#!/usr/bin/env bash
# During getSpecs under Wine no XInput or DirectInput call is made: no joystick
# start per call. Wine's xinput and dinput trace channels show every such call;
# the program's own calls after getSpecs prove that they do. GLFW may load and
# unload both DLLs (their DllMain lines): loading starts nothing.
# usage: input_trace_test.sh WINE PROGRAM DLL_WINDOWS_PATH
set -u
wine=$1 program=$2 dll=$3
. "$(dirname "$0")/../check.sh"
# shellcheck source=trace.sh
. "$(dirname "$0")/trace.sh"

run_trace +xinput,+dinput
calls() { grep ":$1:" <<<"$2" | grep -v ':DllMain '; }  # calls CHANNEL TRACE
check "no XInput call during getSpecs" "" "$(calls xinput "$during" | head -n3)"
check "no DirectInput call during getSpecs" "" "$(calls dinput "$during" | head -n3)"
check "the xinput channel shows the control call" "yes" "$(calls xinput "$control" | grep -q XInputGetState && echo yes)"
check "the dinput channel shows the control call" "yes" "$(calls dinput "$control" | grep -q DirectInput8Create && echo yes)"
finish
