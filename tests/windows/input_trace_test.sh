#!/usr/bin/env bash
# During getSpecs under Wine no XInput or DirectInput call is made and neither
# DLL is loaded: no joystick start per call, and none of their attach and
# detach code. Wine's xinput and dinput trace channels show every such call,
# and its loaddll channel every module the loader maps ("Loaded L"...""), each
# time it does; the program's own loads and calls after getSpecs prove that
# they do.
# usage: input_trace_test.sh WINE PROGRAM DLL_WINDOWS_PATH
set -u
wine=$1 program=$2 dll=$3
. "$(dirname "$0")/../check.sh"
# shellcheck source=trace.sh
. "$(dirname "$0")/trace.sh"

run_trace +xinput,+dinput,+loaddll
calls() { grep ":$1:" <<<"$2" | grep -v ':DllMain '; }  # calls CHANNEL TRACE
# XInput's DLLs as GLFW tries them: xinput1_4 down to xinput1_1, xinput9_1_0.
loads() { grep -iE ':loaddll:.* Loaded L".*\\(dinput8|xinput[0-9_]+)\.dll"' <<<"$1"; }  # loads TRACE
check "no XInput call during getSpecs" "" "$(calls xinput "$during" | head -n3)"
check "no DirectInput call during getSpecs" "" "$(calls dinput "$during" | head -n3)"
check "no input DLL loaded during getSpecs" "" "$(loads "$during" | head -n3)"
check "the xinput channel shows the control call" "yes" "$(calls xinput "$control" | grep -q XInputGetState && echo yes)"
check "the dinput channel shows the control call" "yes" "$(calls dinput "$control" | grep -q DirectInput8Create && echo yes)"
check "the loaddll channel shows the control loads" "2" "$(loads "$control" | wc -l)"
finish
