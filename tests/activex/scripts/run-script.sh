#!/usr/bin/env bash
# Registers the control's DLL in the test prefix as an installer would (regsvr32), runs scripts
# under the system's script host, and unregisters the DLL again. A script reports "script passed"
# as its last line; one that stops on an error prints nothing of the kind, and fails.
# Usage: run-script.sh DLL SCRIPT...   (Linux paths)
set -u
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../../scripts/wine-run"
dll="Z:$(printf '%s' "$1" | tr / '\\')"
# A 32-bit DLL is registered and scripted by the prefix's 32-bit programs, as on 64-bit Windows.
# The PE header's offset is stored at byte 60; its machine (i386: 14c) follows the 4-byte signature.
header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null)
machine=$(od -An -tx2 -j$((${header:-0} + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
programs=
[ "$machine" = 014c ] && programs='C:\windows\syswow64\'
shift
"$run" "${programs}regsvr32.exe" /s "$dll" || { echo "regsvr32 failed: $?"; exit 1; }
failed=0
for path in "$@"; do
  script="Z:$(printf '%s' "$path" | tr / '\\')"
  output=$("$run" "${programs}cscript.exe" //nologo "$script" | tr -d '\r')
  status=${PIPESTATUS[0]}
  printf '%s: %s\n' "$(basename "$path")" "$output"
  if [ "$status" -ne 0 ] || [ "$(printf '%s\n' "$output" | tail -n 1)" != "script passed" ]; then
    failed=$((failed + 1))
  fi
done
"$run" "${programs}regsvr32.exe" /s /u "$dll" || { echo "unregistering failed: $?"; exit 1; }
[ "$failed" -eq 0 ] && echo "all scripts passed"
exit "$failed"
