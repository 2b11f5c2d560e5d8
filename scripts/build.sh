#!/usr/bin/env bash
# Configures and builds both trees:
#   build/native  core library, unit tests under sanitizers, benchmarks
#   build/win32   KREDITOR.DLL and kredhost.exe (build/win32/bin), e2e tests
#   build/fuzz    the libFuzzer fuzzers of the core, built with clang
# usage: scripts/build.sh [native|win32|fuzz]...   (default: all three)
set -euo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh"

JOBS=${KRED_JOBS:-2}
trees=("$@")
[ "${#trees[@]}" -gt 0 ] || trees=(native win32 fuzz)

for tree in "${trees[@]}"; do
  case "$tree" in
  native)
    cmake -S "$KRED_ROOT" -B "$KRED_ROOT/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ;;
  win32)
    cmake -S "$KRED_ROOT" -B "$KRED_ROOT/build/win32" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$KRED_ROOT/cmake/i686-w64-mingw32.cmake"
    ;;
  fuzz)
    cmake -S "$KRED_ROOT" -B "$KRED_ROOT/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKRED_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 -DKRED_FUZZ_SECONDS="${KRED_FUZZ_SECONDS:-4}"
    ;;
  *)
    echo "usage: $0 [native|win32|fuzz]..." >&2
    exit 2
    ;;
  esac
  kred_log "building build/$tree"
  cmake --build "$KRED_ROOT/build/$tree" -j "$JOBS"
done
