#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages) and prepares
# the Wine prefix in build/wine. Safe to run again: it only installs what is
# missing and only creates the prefix when there is none.
set -euo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh"

KRED_PACKAGES=(
  cmake g++ make libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686 googletest
  wine wine32:i386
  xvfb x11-utils imagemagick
  clang-format
  clang-14 libclang-rt-14-dev
)

kred_missing() {
  local p
  for p in "${KRED_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
      printf '%s\n' "$p"
    fi
  done
}

mapfile -t missing < <(kred_missing)
if [ "${#missing[@]}" -gt 0 ]; then
  kred_log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    kred_as_root dpkg --add-architecture i386
  fi
  kred_as_root apt-get update -q
  kred_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    "${missing[@]}"
fi

kred_wine_prefix
kred_log "ready (Wine prefix $WINEPREFIX)"
