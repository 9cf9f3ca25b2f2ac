#!/usr/bin/env bash
# Checks a built DLL file: its machine, its export table (exactly the four
# entry points) and that it imports system DLLs only.
set -euo pipefail
dll=$1 machine=$2
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
fail() { echo "FAIL: $*"; exit 1; }
case $machine in
  i386) grep -q 'file format pei-i386' <<<"$dump" || fail "not a PE32 i386 file" ;;
  x86-64) grep -q 'file format pei-x86-64' <<<"$dump" || fail "not a PE32+ x86-64 file" ;;
esac
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[[:space:]]*\[/{print $NF} t&&/^$/{t=0}' <<<"$dump" | sort | tr '\n' ' ')
[ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ] || fail "exports: $exports"
imports=$(grep 'DLL Name:' <<<"$dump" | awk '{print tolower($3)}' | sort -u | tr '\n' ' ')
for lib in $imports; do
  case $lib in
    kernel32.dll|user32.dll|advapi32.dll|ole32.dll|oleaut32.dll|msvcrt.dll|shlwapi.dll|api-ms-win-crt-*) ;;
    *) fail "imports a non-system DLL: $lib" ;;
  esac
done
echo "ok: $dll ($machine) exports: $exports imports: $imports"
