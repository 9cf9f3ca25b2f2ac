#!/usr/bin/env bash
# Runs one VBScript test with the shared helpers prepended; the script
# reports through Check/CheckEqual and exits non-zero on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../scripts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "$here/vbs/assert.vbsinc" "$1" > "$work/$(basename "$1")"
# Fixture paths for the scripts, in Wine form.
[ -n "${ORVI_DLL_LINUX:-}" ] && export ORVI_DLL=$("$scripts/winpath" "$ORVI_DLL_LINUX")
[ -n "${ORVI_STANDIN_LINUX:-}" ] && export ORVI_STANDIN_DLL=$("$scripts/winpath" "$ORVI_STANDIN_LINUX")
out=$("$scripts/wine-run" cscript //nologo "$("$scripts/winpath" "$work/$(basename "$1")")" 2>&1) && rc=0 || rc=$?
printf '%s\n' "$out" | tr -d '\r'
# A script that stops on a runtime error never reaches its summary line.
if [ "$rc" -eq 0 ] && ! grep -q 'checks, 0 failed' <<<"$out"; then
  echo "FAIL: the script ended before its summary"
  rc=1
fi
exit $rc
