#!/usr/bin/env bash
# Registration-free deployment, in a fresh prefix where nothing is registered
# and an application folder holding the DLL beside its assembly manifest: a
# client without a manifest activates the assembly by hand; the example
# client fails without its application manifest and works with it; the
# multithreaded client works through the same manifest (its calls cross
# apartments, so the manifest's interface entries serve the marshaller).
#     registration_free.sh DLL ASSEMBLY_MANIFEST APP_MANIFEST EXAMPLE_CLIENT MTA_CLIENT ACTIVATION_CLIENT
set -uo pipefail
source "$(dirname "$0")/../scripts/common.sh"
dll=$1 assembly=$2 app_manifest=$3 example=$4 mta=$5 activation=$6
orvi_prefix "${ORVI_BITS:-64}" registration-free
orvi_temporary registration-free app
cp "$dll" "$assembly" "$example" "$mta" "$activation" "$app/"
failures=0
check() {  # label, command...
  local label=$1; shift
  if "$@"; then echo "ok: $label"; else failures=$((failures + 1)); echo "FAIL: $label"; fi
}
run() { scripts/wine-run "$app/$(basename "$1")" "${@:2}" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
ends() {  # status, text printed, program, arguments...
  local output status
  output=$(run "${@:3}"); status=$?
  [ "$status" = "$1" ] && grep -qF -- "$2" <<<"$output" && return 0
  echo "  status $status:"; head -20 <<<"$output" | sed 's/^/  /'; return 1
}

check "a client that activates the assembly by hand" ends 0 "PASSED" "$activation" \
  "$(scripts/winpath "$app/$(basename "$assembly")")" --gtest_brief=1
check "without its manifest, the example client finds no class" ends 1 "0x80040154" "$example"
cp "$app_manifest" "$app/$(basename "$example").manifest"
check "with its manifest, the example client works" ends 0 "Platform: WIN32_NT" "$example"
# Last: Wine 8's marshaller, finding the type library through an application
# manifest, registers it (and its interfaces) in the prefix.
cp "$app_manifest" "$app/$(basename "$mta").manifest"
check "a multithreaded client through the same manifest" ends 0 "PASSED" "$mta" --gtest_brief=1
[ "$failures" -eq 0 ]
