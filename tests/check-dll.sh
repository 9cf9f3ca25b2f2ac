#!/usr/bin/env bash
# Checks a built DLL file without running it: its machine, its export table
# (exactly the entry points), that it imports system DLLs only, and its
# resources (tests/pe_resources.py); the 32-bit DLL imports only functions
# that Windows 95 and NT 4.0 export (tests/imports32.allow); its assembly
# manifest is for its processor architecture (which Wine does not check).
#     check-dll.sh DLL i386|x86-64 GENERATED_DIR ASSEMBLY_MANIFEST
set -euo pipefail
dll=$1 machine=$2 generated=$3 manifest=$4
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
fail() { echo "FAIL: $*"; exit 1; }
case $machine in
  i386) grep -q 'file format pei-i386' <<<"$dump" || fail "not a PE32 i386 file" ;;
  x86-64) grep -q 'file format pei-x86-64' <<<"$dump" || fail "not a PE32+ x86-64 file" ;;
esac
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[[:space:]]*\[/{print $NF} t&&/^$/{t=0}' <<<"$dump" | sort | tr '\n' ' ')
[ "$exports" = "DllCanUnloadNow DllGetClassObject DllInstall DllRegisterServer DllUnregisterServer " ] || fail "exports: $exports"
imports=$(grep 'DLL Name:' <<<"$dump" | awk '{print tolower($3)}' | sort -u | tr '\n' ' ')
for lib in $imports; do
  case $lib in
    kernel32.dll|user32.dll|advapi32.dll|ole32.dll|oleaut32.dll|msvcrt.dll|shlwapi.dll|api-ms-win-crt-*) ;;
    *) fail "imports a non-system DLL: $lib" ;;
  esac
done
if [ "$machine" = i386 ]; then
  allow=$(dirname "$0")/imports32.allow
  bad=$(grep -v '^#' "$allow" | awk '$3 !~ /^95(\+automation|\+runtime)?$/ || $4 !~ /^NT(3\.1|3\.5|3\.51|4\.0)$/')
  [ -z "$bad" ] || fail "the allowlist names functions of later releases: $bad"
  unlisted=$(sed -n '/The Import Tables/,/The Export Tables/p' <<<"$dump" |
    awk '/DLL Name:/{dll=tolower($3); next} dll && NF==3 && $1 ~ /^[0-9a-f]+$/ {print dll, $3}' |
    while read -r lib function; do
      grep -v '^#' "$allow" | awk -v l="$lib" -v f="$function" 'tolower($1)==l && $2==f {found=1} END {exit !found}' ||
        echo "$lib $function"
    done)
  [ -z "$unlisted" ] || fail "imports functions that Windows 95 or NT 4.0 lacks (not in $allow): $(echo $unlisted)"
  imports+="($(grep -vc '^#' "$allow") functions allowed)"
fi
[ "$machine" = i386 ] && bits=32 architecture=x86 || bits=64 architecture=amd64
grep -q "processorArchitecture=\"$architecture\"" "$manifest" || fail "$manifest is not for $architecture"
python3 "$(dirname "$0")/pe_resources.py" "$dll" "$generated" "$bits"
echo "ok: $dll ($machine) exports: $exports imports: $imports"
