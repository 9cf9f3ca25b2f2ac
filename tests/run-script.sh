#!/usr/bin/env bash
# Runs one script test under cscript with the shared helpers of its
# language prepended (vbs/assert.vbsinc, js/assert.jsinc; cscript picks the
# engine by the extension). The script reports through its checks and exits
# non-zero on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../scripts
case $1 in
  *.vbs) helpers=$here/vbs/assert.vbsinc ;;
  *.js) helpers=$here/js/assert.jsinc ;;
  *) echo "run-script: no helpers for $1" >&2; exit 2 ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "$helpers" "$1" > "$work/$(basename "$1")"
# Fixture paths for the scripts, in Wine form.
[ -n "${ORVI_DLL_LINUX:-}" ] && export ORVI_DLL=$("$scripts/winpath" "$ORVI_DLL_LINUX")
[ -n "${ORVI_STANDIN_LINUX:-}" ] && export ORVI_STANDIN_DLL=$("$scripts/winpath" "$ORVI_STANDIN_LINUX")
# Cases that need the display's device context skip where it does not work.
if [ -n "${ORVI_DISPLAY_PROBE:-}" ]; then
  gap=$("$scripts/wine-run" "$ORVI_DISPLAY_PROBE" | tr -d '\r') || export ORVI_NO_DISPLAY_DC=$gap
fi
out=$("$scripts/wine-run" cscript //nologo "$("$scripts/winpath" "$work/$(basename "$1")")" 2>&1) && rc=0 || rc=$?
out=$(printf '%s\n' "$out" | tr -d '\r')
printf '%s\n' "$out"
# A script that stopped early (cscript can end silently) has not passed.
tail -n 1 <<<"$out" | grep -qE '^[0-9]+ checks, 0 failed$' || { echo "FAIL: the script did not finish"; exit 1; }
exit $rc
