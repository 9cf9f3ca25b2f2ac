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
# A script stopped by an uncaught error may end with status 0 under Wine's
# cscript: only a script that reached Finish counts.
grep -q '^[0-9]* checks, ' <<<"$(tr -d '\r' <<<"$out")" || { echo "FAIL: the script did not reach Finish"; exit 1; }
exit $rc
