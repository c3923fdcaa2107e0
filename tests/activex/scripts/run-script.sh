#!/usr/bin/env bash
# Registers the control's DLL in the test prefix as an installer would (regsvr32), runs a script
# under the system's script host, and unregisters the DLL again.
# Usage: run-script.sh DLL SCRIPT   (Linux paths)
set -u
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../../scripts/wine-run"
dll="Z:$(printf '%s' "$1" | tr / '\\')"
script="Z:$(printf '%s' "$2" | tr / '\\')"
"$run" regsvr32 /s "$dll" || { echo "regsvr32 failed: $?"; exit 1; }
"$run" cscript //nologo "$script" | tr -d '\r'
status=${PIPESTATUS[0]}
"$run" regsvr32 /s /u "$dll" || { echo "unregistering failed: $?"; exit 1; }
exit "$status"
