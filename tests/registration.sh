#!/usr/bin/env bash
# Registration by the system's regsvr32 of this run's bitness writes exactly
# what the DLL's registration script declares: for the machine (this
# bitness's view of HKEY_CLASSES_ROOT) and, with /n /i:user, for the user
# alone (the same keys below HKEY_CURRENT_USER\Software\Classes, none in the
# machine's classes of either view); each removal leaves nothing behind.
# The DLL is registered again at the end.
#     registration.sh DLL SCRIPT REGISTRY_DUMP
set -uo pipefail
dll=$1 script=$2 dump=$3
root=$(cd "$(dirname "$0")/.." && pwd)
run() { "$root/scripts/wine-run" "$@"; }
path=$("$root/scripts/winpath" "$dll")
work=$(mktemp -d)
trap 'rm -rf "$work"; run regsvr32 /s "$path"' EXIT
mapfile -t owned < <(python3 "$root/tools/registration/script.py" tops "$script")
python3 "$root/tests/msi/registry_export.py" script "$script" "$path" > "$work/declared"
# The values below the keys the registration owns, in one root.
registered() { run "$dump" "$1" "${owned[@]}" | tr -d '\r' | LC_ALL=C sort; }
failures=0
check() {  # label, command...
  local label=$1; shift
  if "$@"; then echo "ok: $label"; else failures=$((failures + 1)); echo "FAIL: $label"; fi
}
same() { diff "$1" "$2" >"$work/diff" || { head -10 "$work/diff"; return 1; }; }
sorted() { LC_ALL=C sort "$1" > "$1.sorted"; mv "$1.sorted" "$1"; }
sorted "$work/declared"

run regsvr32 /s /u "$path"; check "regsvr32 /u unregisters" test $? -eq 0
registered HKCR > "$work/unregistered"
check "nothing is left registered for the machine" same /dev/null "$work/unregistered"
run regsvr32 /s "$path"; check "regsvr32 registers" test $? -eq 0
registered HKCR > "$work/machine"
check "the machine registration is the script's" same "$work/declared" "$work/machine"

run regsvr32 /s /u "$path"
run regsvr32 /s /n /i:user "$path"; check "regsvr32 /n /i:user registers for the user" test $? -eq 0
registered HKCU > "$work/user"
check "the user's registration is the script's, below the user's classes" same "$work/declared" "$work/user"
{ registered HKLM32; registered HKLM64; } > "$work/machine-wide"
check "the user's registration writes nothing in the machine's classes" same /dev/null "$work/machine-wide"
run regsvr32 /s /u /n /i:user "$path"; check "regsvr32 /u /n /i:user removes it" test $? -eq 0
registered HKCU > "$work/left"
check "the user's removal leaves nothing" same /dev/null "$work/left"
run regsvr32 /s /n /i:bogus "$path"; check "DllInstall takes only 'user'" test $? -ne 0

echo "$failures failed"
[ "$failures" -eq 0 ]
