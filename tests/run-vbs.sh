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
# A script stopped by an untrapped error can end with status 0 and no output.
if [ "$rc" -eq 0 ] && ! grep -qE '^[0-9]+ checks, 0 failed' <<<"$(tr -d '\r' <<<"$out")"; then
  echo "FAIL: the script ended before Finish"
  rc=1
fi
exit $rc
