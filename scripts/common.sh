# The steps the scripts share, sourced by each: the repository root as the
# working folder, the build folder of a bitness, private Wine prefixes.
orvi_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$orvi_root" || exit 1

# build/x86 holds the shipping 32-bit DLL, build/x64 its 64-bit twin.
orvi_build_dir() { [ "$1" = 32 ] && echo build/x86 || echo build/x64; }

# Whether this host runs 32-bit Windows code, as scripts/setup's probe
# found; ORVI_NO_32BIT=1 answers no (to try the other path on a host that can).
orvi_runs_32bit() { [ "${ORVI_NO_32BIT:-}" != 1 ] && [ "$(head -n 1 build/host32 2>/dev/null)" = yes ]; }
# Why the 32-bit DLL is not run, in the words of the closing lines.
orvi_no_32bit_reason() {
  if [ "${ORVI_NO_32BIT:-}" = 1 ]; then echo "turned off by ORVI_NO_32BIT=1"
  elif [ ! -f build/host32 ]; then echo "scripts/setup has not probed this host"
  else echo "this host cannot execute 32-bit code"; fi
}
# The bitnesses whose DLL runs here, the shipping 32-bit one first; prints
# what is left out and why.
orvi_runnable_bits() {
  if orvi_runs_32bit; then echo "32 64"
  else echo "32-bit: not run, $(orvi_no_32bit_reason)" >&2; echo 64; fi
}

# The DLLs' version as their version block states it: 1.00.0084.
orvi_version_text() { sed -n 's/^#define ORVI_VERSION_TEXT "\(.*\)"/\1/p' frame/resource_ids.h; }

# orvi_build BITS [TARGET...]: configures and builds a bitness's
# folder, all of it or the targets named.
orvi_build() {
  local bits=$1; shift
  local dir toolchain
  dir=$(orvi_build_dir "$bits")
  [ "$bits" = 32 ] && toolchain=mingw-i686 || toolchain=mingw-x86_64
  mkdir -p build
  cmake -G Ninja -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$orvi_root/cmake/$toolchain.cmake" -DORVI_BUILD_TESTS=ON \
    >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  ninja -C "$dir" -j "$(nproc)" "$@"
}

# Temporary folders and prefixes are removed when the script ends.
orvi_temporaries=() orvi_prefixes=()
orvi_clean_up() {
  local prefix
  for prefix in "${orvi_prefixes[@]}"; do WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1; done
  rm -rf "${orvi_prefixes[@]}" "${orvi_temporaries[@]}"
}
trap orvi_clean_up EXIT

# orvi_temporary NAME VARIABLE: a fresh temporary folder, in VARIABLE; not
# printed, since a folder made in a command substitution would never be
# removed (its shell's list of temporaries is not this one's).
orvi_temporary() {
  local folder; folder=$(mktemp -d "/tmp/orvi-$1.XXXXXX")
  orvi_temporaries+=("$folder")
  printf -v "$2" %s "$folder"
}

# orvi_prefix BITS [NAME]: a fresh private Wine prefix in ORVI_WINEPREFIX,
# and ORVI_BITS, by which scripts/wine-run picks the bitness's own
# regsvr32, cscript and msiexec.
orvi_prefix() {
  export ORVI_BITS=$1
  ORVI_WINEPREFIX=$(mktemp -d "/tmp/orvi-${2:-$(basename "$0")}$1.XXXXXX")
  export ORVI_WINEPREFIX
  orvi_prefixes+=("$ORVI_WINEPREFIX")
  scripts/wine-run wineboot -i >/dev/null 2>&1
  # The server stays up between the programs of a run.
  WINEPREFIX=$ORVI_WINEPREFIX wineserver -p >/dev/null 2>&1 || true
}
