#!/usr/bin/env bash
# Registers the component (and the stand-in sibling library) in the prefix.
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../scripts" && pwd)
for dll in "$@"; do
  "$scripts/wine-run" regsvr32 /s "$("$scripts/winpath" "$dll")"
done
