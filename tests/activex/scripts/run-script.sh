#!/usr/bin/env bash
# Registers the control's DLL in the test prefix as an installer would (regsvr32), runs scripts
# under the system's script host, and unregisters the DLL again. A script reports "script passed"
# as its last line; one that stops on an error prints nothing of the kind, and fails.
# Usage: run-script.sh DLL SCRIPT...   (Linux paths)
set -u
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../../scripts/wine-run"
dll="Z:$(printf '%s' "$1" | tr / '\\')"
shift
"$run" regsvr32 /s "$dll" || { echo "regsvr32 failed: $?"; exit 1; }
failed=0
for path in "$@"; do
  script="Z:$(printf '%s' "$path" | tr / '\\')"
  output=$("$run" cscript //nologo "$script" | tr -d '\r')
  status=${PIPESTATUS[0]}
  printf '%s: %s\n' "$(basename "$path")" "$output"
  if [ "$status" -ne 0 ] || [ "$(printf '%s\n' "$output" | tail -n 1)" != "script passed" ]; then
    failed=$((failed + 1))
  fi
done
"$run" regsvr32 /s /u "$dll" || { echo "unregistering failed: $?"; exit 1; }
[ "$failed" -eq 0 ] && echo "all scripts passed"
exit "$failed"
