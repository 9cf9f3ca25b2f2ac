#!/usr/bin/env bash
# A Windows Installer package under Wine, for the machine or for one user:
# installed silently into a fresh prefix, it registers exactly what the
# DLLs' registration scripts declare and what regsvr32 would, serves the
# 32-bit and the 64-bit script host and an early-bound client of each
# bitness, and its removal leaves no file or registry value behind; a second
# install and a removal of what is not installed fail cleanly and change
# nothing. Where this host cannot run 32-bit code, the 32-bit side is checked
# without running it: its files in place and its registry view (which the
# 64-bit registry holds below Wow6432Node) equal to the declaration.
#
# The per-user package registers in the user's classes and nothing in the
# machine's. Wine neither merges those classes into HKEY_CLASSES_ROOT (so no
# script host or client can create its objects here) nor keeps a 32-bit view
# of them apart (so the 64-bit DLL's entries, written last, are what stays).
#     test-msi.sh [machine|user]
set -uo pipefail
source "$(dirname "$0")/../../scripts/common.sh"
scope=${1:-machine}
version=$(orvi_version_text)
[ "$scope" = user ] && msi=build/orvilib10-$version-user.msi || msi=build/orvilib10-$version.msi
[ -f "$msi" ] || { echo "FAIL: no package $msi; run scripts/package"; exit 1; }
work=${ORVI_MSI_WORK:-}
[ -n "$work" ] || orvi_temporary msi-test work
orvi_prefix 64 msi-test
drive=$ORVI_WINEPREFIX/drive_c
if [ "$scope" = user ]; then
  programs="$(scripts/wine-run cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')\\Programs\\Orvilib10"
  folder32=$programs\\x86 folder64=$programs\\x64 classes_key='HKCU\Software\Classes'
else
  folder32='C:\Program Files (x86)\Orvilib10' folder64='C:\Program Files\Orvilib10' classes_key=HKCR
fi
unix() { local path=${1#C:\\}; echo "$drive/${path//\\//}"; }
checks=0 failures=0
check() {  # label, command...
  local label=$1; shift
  checks=$((checks + 1))
  if ! "$@"; then failures=$((failures + 1)); echo "FAIL: $label"; fi
}
same() { cmp -s "$1" "$2" || { diff "$1" "$2" | head -10; return 1; }; }
contains() { grep -qF -- "$2" "$1" || { echo "  [$2] not in:"; head -20 "$1"; return 1; }; }

# Every registry value and key of the software hives (the system hive holds
# only the machine's devices, which Wine adds and drops as it likes) and
# every file. The test's own steps (script hosts, the installer service)
# leave traces of their own, so each check compares the snapshots around
# the step it is about.
hives="HKLM\\Software HKCU"
snapshot() {  # name
  local hive
  for hive in $hives; do
    scripts/wine-run reg export "$hive" "$(scripts/winpath "$work/$1.${hive%%\\*}.reg")" /y >/dev/null
  done
  (cd "$drive" && { find . -path ./windows/temp -prune -o -path ./users -prune -o -print
                    [ "$scope" = user ] && find "./$(tr '\\' / <<<"${programs#C:\\}")" 2>/dev/null; }) | sort > "$work/$1.files"
}
left_behind() {  # clean, installed, removed
  local hive status=0
  for hive in HKLM HKCU; do
    python3 tests/msi/registry_diff.py left "$work/$1.$hive.reg" "$work/$2.$hive.reg" "$work/$3.$hive.reg" || status=1
  done
  comm -12 <(comm -13 "$work/$1.files" "$work/$2.files") "$work/$3.files" | grep -v '^\./windows/Installer$' && status=1
  return $status
}
unchanged() {  # before, after
  local hive status=0
  for hive in HKLM HKCU; do
    python3 tests/msi/registry_diff.py same "$work/$1.$hive.reg" "$work/$2.$hive.reg" || status=1
  done
  same "$work/$1.files" "$work/$2.files" || status=1
  return $status
}
runs32=false; orvi_runs_32bit && runs32=true
# The classes as the 64-bit registry holds them (the 32-bit view below
# Wow6432Node) and, where 32-bit programs run, as the 32-bit reg sees them.
classes() {  # name; a user without classes has an empty export
  local bits
  for bits in 32 64; do
    [ "$bits" = 32 ] && ! $runs32 && continue
    ORVI_BITS=$bits scripts/wine-run reg export "$classes_key" "$(scripts/winpath "$work/$1.classes$bits.reg")" /y \
      >/dev/null 2>&1 || : > "$work/$1.classes$bits.reg"
  done
}
values() { python3 tests/msi/registry_export.py values "$@"; }
registered() {  # before name, after name: the values added, both views (one for the user's)
  if [ "$scope" = user ]; then values "$work/$1.classes64.reg" "$work/$2.classes64.reg" | sed "s/^/user /"; return; fi
  if $runs32; then values "$work/$1.classes32.reg" "$work/$2.classes32.reg"
  else values "$work/$1.classes64.reg" "$work/$2.classes64.reg" --wow; fi | sed "s/^/32 /"
  values "$work/$1.classes64.reg" "$work/$2.classes64.reg" | sed "s/^/64 /"
}
declared() {  # what the two registration scripts declare for the installed DLLs
  local bits
  for bits in 32 64; do
    [ "$scope" = user ] && [ "$bits" = 32 ] && continue
    python3 tests/msi/registry_export.py declared $bits build/x86/generated/orvilib10.rgs build/x64/generated/orvilib10.rgs \
      "$folder32\\orvilib10.dll" "$folder64\\orvilib10.dll" $([ "$scope" = user ] && echo 64) |
      sed "s/^/$([ "$scope" = user ] && echo user || echo $bits) /"
  done
}
install() { scripts/wine-run msiexec "$@" "$(scripts/winpath "$msi")" /qn; }

snapshot clean
classes clean
install /i; check "msiexec /i succeeds" test $? -eq 0
snapshot installed
classes installed
check "32-bit DLL in its folder" cmp -s build/x86/orvilib10.dll "$(unix "$folder32")/orvilib10.dll"
check "64-bit DLL in its folder" cmp -s build/x64/orvilib10.dll "$(unix "$folder64")/orvilib10.dll"
manifest=$(basename build/x64/*.manifest)
check "32-bit assembly manifest beside its DLL" cmp -s "build/x86/$manifest" "$(unix "$folder32")/$manifest"
check "64-bit assembly manifest beside its DLL" cmp -s "build/x64/$manifest" "$(unix "$folder64")/$manifest"
check "examples and README installed" test -f "$(unix "$folder64")/examples/sysinfo.vbs" -a -f "$(unix "$folder64")/README.md"
if [ "$scope" = user ]; then
  python3 tests/msi/registry_diff.py classes "$work/clean.HKLM.reg" "$work/installed.HKLM.reg" > "$work/machine-classes"
  check "the per-user package writes nothing in the machine's classes" same /dev/null "$work/machine-classes"
fi

registered clean installed > "$work/by-package"
declared > "$work/declared"
check "the package registers what the registration scripts declare" same "$work/declared" "$work/by-package"
if $runs32 && [ "$scope" = machine ]; then
  values "$work/clean.classes64.reg" "$work/installed.classes64.reg" --wow | sed "s/^/32 /" > "$work/below-wow"
  check "the 32-bit view read below Wow6432Node is what a 32-bit program sees" same "$work/below-wow" <(grep '^32 ' "$work/by-package")
fi

[ "$scope" = user ] && echo "not run: script hosts and clients (Wine does not merge the user's classes into HKEY_CLASSES_ROOT)"
for bits in $([ "$scope" = machine ] && orvi_runnable_bits 2>/dev/null); do
  [ "$bits" = 32 ] && folder=$folder32 host='C:\windows\syswow64\cscript.exe' dir=build/x86 ||
                      folder=$folder64 host='C:\windows\system32\cscript.exe' dir=build/x64
  scripts/wine-run "$host" //nologo "$(scripts/winpath examples/sysinfo.vbs)" 2>/dev/null | tr -d '\r' > "$work/report$bits"
  check "$bits-bit script host loads the $bits-bit DLL" contains "$work/report$bits" "$folder\\orvilib10.dll"
  check "$bits-bit script host reports its bitness" contains "$work/report$bits" "Host process              $bits-bit"
  check "$bits-bit report runs to its end" contains "$work/report$bits" "Virtual (KB total/free)"
  scripts/wine-run "$dir/tests/early_bound_client.exe" 2>/dev/null | tr -d '\r' > "$work/client$bits"
  check "$bits-bit early-bound client" contains "$work/client$bits" "Platform: WIN32_NT"
done

snapshot used
install /i; status=$?
check "a second install does nothing or fails cleanly (status $status)" test $status -eq 0 -o $status -eq 1638
snapshot again
check "a second install changes nothing" unchanged used again

install /x; check "msiexec /x succeeds" test $? -eq 0
snapshot removed
check "removal leaves nothing the install added" left_behind clean installed removed
install /x; status=$?
# Windows answers 1605 (unknown product); Wine 8 has nothing to do and says 0.
check "removing what is not installed fails cleanly or does nothing (status $status)" test $status -eq 1605 -o $status -eq 0
snapshot removed-again
check "removing what is not installed changes nothing" unchanged removed removed-again

# regsvr32 of the same files in the same places registers the same values
# (where both DLLs run; each bitness's registration is checked against its
# script by the registration tests of its run).
if $runs32; then
  classes unregistered
  for bits in 32 64; do
    [ "$bits" = 32 ] && folder=$folder32 dir=build/x86 || folder=$folder64 dir=build/x64
    mkdir -p "$(unix "$folder")" && cp "$dir/orvilib10.dll" "$(unix "$folder")/"
    ORVI_BITS=$bits scripts/wine-run regsvr32 /s $([ "$scope" = user ] && echo /n /i:user) "$folder\\orvilib10.dll"
  done
  classes regsvr32
  registered unregistered regsvr32 > "$work/by-regsvr32"
  check "the package registers what regsvr32 registers" same "$work/by-regsvr32" "$work/by-package"
else
  echo "not run: 32-bit script host, 32-bit client and 32-bit regsvr32 ($(orvi_no_32bit_reason))"
fi
check "both DLLs' whole registration" test "$(wc -l < "$work/by-package")" -gt 190

echo "$checks checks, $failures failed"
[ "$failures" -eq 0 ]
