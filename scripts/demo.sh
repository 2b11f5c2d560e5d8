#!/usr/bin/env bash
# The demo: a designer's walk through data/demo.lvl, scripted in data/demo.scn,
# with the real library in the replacement host under Wine. Leaves screenshots
# (PNG) and the fixup file DEMO.NFU in the output folder (default out/demo).
#
# usage: scripts/demo.sh [--show] [--no-build] [--host EXE] [OUT_DIR]
#   --show      run on your own $DISPLAY instead of a hidden Xvfb display
#   --no-build  skip setup and build (the host must be built)
#   --host EXE  the host to run (default build/win32/bin/kredhost.exe)
set -euo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh"

show=()
build=1
host="$KRED_ROOT/build/win32/bin/kredhost.exe"
out="$KRED_ROOT/out/demo"
while [ $# -gt 0 ]; do
  case "$1" in
  --show) show=(--show) ;;
  --no-build) build=0 ;;
  --host)
    host=$2
    shift
    ;;
  -*)
    sed -n '6,9p' "$0" >&2
    exit 2
    ;;
  *) out=$1 ;;
  esac
  shift
done
out=$(realpath -m -- "$out")

if [ "$build" = 1 ]; then
  bash "$KRED_ROOT/scripts/setup.sh"
  bash "$KRED_ROOT/scripts/build.sh" win32
fi

mkdir -p -- "$out"
# Leftovers of an earlier run, by the names the scenario gives its shots.
rm -f -- "$out/DEMO.NFU"
awk '$1 == "screenshot" { gsub(/"/, "", $3); print $3 }' "$KRED_ROOT/data/demo.scn" |
  while read -r name; do rm -f -- "$out/$name.bmp" "$out/$name.png"; done

# The sample flag-name lists (data/*.lst) go beside a copy of the library,
# where it looks for them; the build's own folder stays without lists.
lib="$out/lib"
mkdir -p -- "$lib"
cp -f -- "$(dirname "$host")/KREDITOR.DLL" "$KRED_ROOT"/data/*.lst "$lib/"

rc=0
bash "$KRED_ROOT/tests/e2e/run-scenario.sh" "${show[@]}" "$host" "$KRED_ROOT/data/demo.scn" \
  "$KRED_ROOT/data/demo.lvl" "$out" -- --dll "$(kred_winpath "$lib/KREDITOR.DLL")" || rc=$?

shots=0
for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f -- "$bmp"
  shots=$((shots + 1))
done

echo
if [ "$rc" = 0 ]; then
  echo "demo finished"
else
  echo "demo FAILED (host exit code $rc)"
fi
echo "screenshots: $shots PNG files in $out"
for png in "$out"/*.png; do
  [ -e "$png" ] && echo "  $png"
done
if [ -f "$out/DEMO.NFU" ]; then
  echo "fixup file:  $out/DEMO.NFU ($(wc -l <"$out/DEMO.NFU") lines)"
else
  echo "fixup file:  none written"
fi
echo "host log:    $out/host.log"
exit "$rc"
